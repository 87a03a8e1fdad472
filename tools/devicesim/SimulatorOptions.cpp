#include "SimulatorOptions.h"

#include <cstdlib>
#include <vector>

#ifndef DEVICESIM_DEFAULT_TREE
#define DEVICESIM_DEFAULT_TREE "device_tree.json"
#endif
#ifndef DEVICESIM_DEFAULT_USERS
#define DEVICESIM_DEFAULT_USERS "device_users.json"
#endif

namespace devicesim {

namespace {

bool toInt(const std::string& text, long minimum, long maximum, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= minimum && value <= maximum;
}

} // namespace

std::int64_t SimulatorOptions::startId() const
{
    return highIds ? (std::int64_t(1) << 32) + 1000 : 0;
}

bool SimulatorOptions::parse(int argc, char** argv, std::string& error)
{
    treeFile = DEVICESIM_DEFAULT_TREE;
    usersFile = DEVICESIM_DEFAULT_USERS;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        long number = 0;
        if (option == "--help" || option == "-h") {
            helpWanted = true;
        } else if (option == "--control") {
            control = true;
        } else if (option == "--high-ids") {
            highIds = true;
        } else if (option == "--paused") {
            paused = true;
        } else if (option == "--empty-as-container") {
            emptyAsContainer = true;
        } else if (option == "--export-ms" && hasValue && toInt(arguments[i + 1], 0, 3600000, number)) {
            exportMs = static_cast<int>(number);
            ++i;
        } else if (option == "--verbose") {
            verbose = true;
        } else if (option == "--port" && hasValue && toInt(arguments[i + 1], 0, 65535, number)) {
            port = static_cast<int>(number);
            ++i;
        } else if (option == "--live-interval" && hasValue && toInt(arguments[i + 1], 10, 3600000, number)) {
            liveIntervalMs = static_cast<int>(number);
            ++i;
        } else if (option == "--sample-interval" && hasValue && toInt(arguments[i + 1], 1, 3600000, number)) {
            sampleIntervalMs = static_cast<int>(number);
            ++i;
        } else if (option == "--seed" && hasValue && toInt(arguments[i + 1], 0, 2147483647, number)) {
            seed = static_cast<unsigned>(number);
            ++i;
        } else if (option == "--channels" && hasValue && toInt(arguments[i + 1], 1, 10000, number)) {
            channels = static_cast<int>(number);
            ++i;
        } else if (option == "--tree" && hasValue) {
            treeFile = arguments[++i];
        } else if (option == "--users" && hasValue) {
            usersFile = arguments[++i];
        } else {
            error = "bad argument \"" + option + "\"" + (hasValue ? "" : " (or a value missing)");
            return false;
        }
    }
    return true;
}

std::string SimulatorOptions::helpText()
{
    return "Usage: devicesim [options]\n"
           "Plays the TEVARO500 instrument's web service on 127.0.0.1 for the client and its tests.\n"
           "\n"
           "  --port N            listen on port N alone (default 8080; ends when another\n"
           "                      program listens there); 0 picks a free port\n"
           "  --tree FILE         device tree (default " DEVICESIM_DEFAULT_TREE ")\n"
           "  --users FILE        accounts: passwords and role masks (default " DEVICESIM_DEFAULT_USERS ")\n"
           "  --control           serve the test controls under /control/\n"
           "  --high-ids          change ids (ReqID) start above 2^32\n"
           "  --paused            start with live values and chart data paused\n"
           "  --live-interval MS  one live step every MS ms (default 300)\n"
           "  --sample-interval MS\n"
           "                      a running measurement samples its channels every MS ms\n"
           "                      (default 100); a live step sends those since the step before\n"
           "  --seed N            seed of the live values and chart data (default 500)\n"
           "  --channels N        N channels (1 to 10000): the tree's channels repeated with\n"
           "                      their own IDX, ADR, name and values, or cut; for stress tests\n"
           "  --export-ms MS      an export finishes MS ms after it was asked for (default 1000),\n"
           "                      also while live values are paused\n"
           "  --empty-as-container\n"
           "                      a read with [*] or a filter that finds nothing is answered with\n"
           "                      the container before the wildcard (as POST /control/reads)\n"
           "  --verbose           log every request on stderr\n"
           "  --help              this text\n"
           "\n"
           "Output: the first line on stdout is \"PORT <n>\", the port listened on;\n"
           "logs go to stderr. SIGTERM or SIGINT end it cleanly.\n"
           "\n"
           "Web service under /webservice/: POST login {\"USER\",\"PASS\"} -> {\"CLNT\":{...,\"TOKN\"}};\n"
           "POST logout|path|config|measure|export|user ?TOKN= with a raw JSON telegram -> empty;\n"
           "GET data?TOKN=&REQID=n -> {\"ReqID\",\"ReqContent\":[change telegrams after n]}.\n"
           "Every answer of the device (echoed writes, live values, measurement, messages,\n"
           "and reads, for the asking client only) goes out once through that change log.\n"
           "A value outside the MIN/MAX or REGX of its entry's INP or of a $.DISP table column\n"
           "naming it, a text that is no number for a number, or null over a setting is refused and\n"
           "answered at once: the node's current value is echoed like an accepted write (none when no node\n"
           "is there) and the status bar says why (MTYP 0: \"Wert außerhalb des zulässigen Bereichs\n"
           "(-200 … 850), nicht übernommen.\", or \"Ungültiger Wert, nicht übernommen.\").\n"
           "Config writes of an entry's VAL that its INP AUT does not let the user change are\n"
           "refused without an answer. Unknown token: 401.\n"
           "Start/stop: SET $.SERV.FCT.STST.VAL = 1 (not by werk: the entry's INP AUT lacks its role bit).\n"
           "While measuring, every live step sends one chart block (\"INST\".\"SET\".\"MEM\", \"SRC\" 1) with\n"
           "the samples since the step before, on the sample grid; with $.MEM.RING 3 the ring's oldest\n"
           "time $.SERV.STAT.MEAS.LIMT = max(STAT, now - $.SERV.LIM.RMAX s) follows, at most once a second.\n"
           "Paging: GET $.MEM.MTAB with VAL {\"DIRC\":0|1,\"ID\",\"LOW\",\"UP\"} (ms) is answered to the asker\n"
           "with \"SRC\" 2 blocks (<= 2000 samples per channel, <= 500 per block, \"ATR\" 11 then 12,\n"
           "newest block first with DIRC 1); {\"ID\":-1} ends paging. Recordings of the tree page back\n"
           "seeded values, one a second; a stopped measurement pages back what it streamed.\n"
           "Channel functions: SET $.DATA.MK[i].FCT.CLMX.VAL = 1\n"
           "(maximum and minimum := value), FCT.TARA.VAL = 1 (the value becomes the zero, FCT.TARA.OFFS),\n"
           "a written FCT.TARA.OFFS.VAL shifts the values; answered in one telegram with the write.\n"
           "SETs below a channel that does not exist are refused without an answer; a SET turning\n"
           "an object node into a scalar gets only the status-bar text.\n"
           "Stored data, judged by the sender's masks against the node's AUT (refusals change nothing,\n"
           "are logged and go to the status bar as a German device message, MTYP 0):\n"
           "  DEL $.MEM.MTAB VAL {\"ID\":\"12,13\"} at measure (right on $.MEM.INP): DEL+SET of the list,\n"
           "    then $.MEM.SF.VAL, $.MEM.SFP.VAL and $.MEM.TRE.VAL; deleted recordings page nothing.\n"
           "  DEL $.EXP.MTAB VAL {\"ID\":\"4,9\"} at export (right on $.EXP.INP): DEL+SET of the list,\n"
           "    the destinations' $.EXP.DEST[k].SIZE.VAL get the space back.\n"
           "  GET $.EXP.MTAB VAL {\"DEST\":{\"ID\":d},\"MTAB\":{\"ID\":m}} at export (right on $.EXP.INP):\n"
           "    refused unless $.EXP.STAS is 1, d and m exist and d has size x FACT (template 1) free\n"
           "    (B/KB/MB/GB/TB, any case, steps of 1024); else $.EXP.STAS 2, and after --export-ms one\n"
           "    telegram: DEL+SET $.EXP.MTAB with the new file, the destination's space, $.EXP.STAS 1.\n"
           "A running measurement uses memory: every live step sends $.MEM.SF.VAL, SFP.VAL, TRE.VAL.\n"
           "Users, at user only, by senders who may change $.USMG.AUT (else the whole telegram is refused):\n"
           "  SET $.USMG.USLI VAL {\"ID\":-1,\"NAME\",\"PW\",\"USRO\":{\"ID\"},\"HINT\"} creates a user\n"
           "    (id = highest + 1, LAST.DU -1; a blank or taken name, an unknown role or no \"PW\" or\n"
           "    \"PW\":\"\" is refused);\n"
           "  the same with an existing ID changes role, HINT and PW where present (NAME ignored);\n"
           "  DEL $.USMG.USLI VAL {\"ID\":n} deletes a user other than the sender's; its password is forgotten.\n"
           "  Applied: DEL+SET $.USMG.USLI. Refused: nothing sent, one log line. A login sends a SET of the\n"
           "  user's $.USMG.USLI[i].LAST.DU (now). Passwords are never served; log lines mask PW and PASS.\n"
           "A write of a sensor's $.DATA.DEV[i].SEN[j].CFG.KB.VAL (or .TYP.VAL) also sets SEN[j].KB (.TYP)\n"
           "and counts up SEN[j].CHG, in the echo's telegram. Nothing under $.CLNT is written or sent; a\n"
           "telegram element whose path still holds \"($.CLNT\" is ignored.\n"
           "Users of the default accounts:\n"
           "admin/admin, service/service, bediener/1234, praktikant/abc, werk/werk500.\n"
           "\n"
           "Test controls (--control), JSON in and out:\n"
           "  POST /control/telegram[?apply=0]       inject telegram(s) into the change log\n"
           "  POST /control/message[?raw=1&login=1]  raise device message(s) (MID > 2^31)\n"
           "  GET  /control/answers                  answers of clients to messages\n"
           "  POST /control/live {\"paused\":true}     pause or resume live values\n"
           "  POST /control/delay {\"ms\",\"endpoint\"}  delay answers\n"
           "  POST /control/failure {\"mode\":\"status\"|\"empty\"|\"malformed\",\"count\",\"status\",\"endpoint\",\n"
           "                         \"contains\"}   fail requests (whose body contains a text)\n"
           "  POST /control/faults/clear, GET /control/faults\n"
           "  GET  /control/requests, POST /control/requests/clear   request log\n"
           "  POST /control/echo {\"mode\":\"exact\"|\"entry\"|\"none\"}   echo of config writes\n"
           "  POST /control/reads {\"emptyAsContainer\":true}  empty wildcard reads get the container\n"
           "  GET  /control/tree?path=P, GET /control/state\n"
           "  GET  /control/log, POST /control/log/clear     the simulator's recent log lines\n";
}

} // namespace devicesim
