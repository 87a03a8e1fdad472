#include "view/NetworkConfig.h"
#include "ui_NetworkConfig.h"

#include "util/AppContext.h"
#include "util/Language.h"
#include "util/SettingsUtil.h"
#include "util/WebServiceAddress.h"
#include "view/MainWindow.h"

#include <QtDebug>

namespace {

const int LOGIN_PAGE = 0;

const char* const KEY_HOST = "Config/Network/WebServer/IPAdress";
const char* const KEY_PORT = "Config/Network/WebServer/Port";

const int TEXT_HOST_EMPTY = 1450;
const int TEXT_HOST_INVALID = 1451;
const int TEXT_PORT_INVALID = 1452;

} // namespace

NetworkConfig::NetworkConfig(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::NetworkConfig)
{
    ui->setupUi(this);
    connect(ui->btnNetworkSave, SIGNAL(clicked()), this, SLOT(save()));
    connect(ui->btnNetworkCancel, SIGNAL(clicked()), this, SLOT(back()));
    connect(ui->edtNetworkIp, SIGNAL(textEdited(QString)), this, SLOT(clearHint()));
    connect(ui->edtNetworkPort, SIGNAL(textEdited(QString)), this, SLOT(clearHint()));
    initLanguageTexts();
    clearHint();
}

NetworkConfig::~NetworkConfig()
{
    delete ui;
}

void NetworkConfig::save()
{
    const QString host = ui->edtNetworkIp->text().trimmed();
    const QString port = ui->edtNetworkPort->text().trimmed();

    switch (WebServiceAddress::check(host, port)) {
    case WebServiceAddress::Problem::EmptyHost:
        qWarning().noquote() << "Network settings not saved: no host given.";
        showHint(TEXT_HOST_EMPTY, QStringLiteral("Bitte geben Sie die IP-Adresse oder den Hostnamen des Geräts ein."));
        ui->edtNetworkIp->setFocus();
        return;
    case WebServiceAddress::Problem::BadHost:
        qWarning().noquote() << "Network settings not saved: invalid host" << host;
        showHint(TEXT_HOST_INVALID, QStringLiteral("Ungültige IP-Adresse oder ungültiger Hostname"));
        ui->edtNetworkIp->setFocus();
        return;
    case WebServiceAddress::Problem::BadPort:
        qWarning().noquote() << "Network settings not saved: invalid port" << port;
        showHint(TEXT_PORT_INVALID,
                 QStringLiteral("Der Port muss eine Zahl von 1 bis 65535 sein (leer: Standardport)."));
        ui->edtNetworkPort->setFocus();
        return;
    case WebServiceAddress::Problem::None:
        break;
    }

    SettingsUtil::setValue(QString::fromLatin1(KEY_HOST), QVariant(host));
    SettingsUtil::setValue(QString::fromLatin1(KEY_PORT), QVariant(port));
    qInfo().noquote() << "Web service address saved:" << host << "port" << (port.isEmpty() ? QStringLiteral("(default)") : port);
    back();
}

void NetworkConfig::back()
{
    AppContext* context = AppContext::get();
    if (MainWindow* window = context->getMainWindow())
        window->setPage(LOGIN_PAGE);
    else
        qWarning().noquote() << "Login page cannot be shown: no main window.";
    AppContext::release();
}

void NetworkConfig::showEvent(QShowEvent* event)
{
    ui->edtNetworkIp->setText(SettingsUtil::getValue(QString::fromLatin1(KEY_HOST), QString()).toString());
    ui->edtNetworkPort->setText(SettingsUtil::getValue(QString::fromLatin1(KEY_PORT), QString()).toString());
    clearHint();
    QWidget::showEvent(event);
}

void NetworkConfig::clearHint()
{
    ui->lblNetworkHint->clear();
}

void NetworkConfig::showHint(int textId, const QString& defaultText)
{
    ui->lblNetworkHint->setText(language->getText(textId, defaultText));
}

void NetworkConfig::initLanguageTexts()
{
    setTranslatable(ui->btnNetworkCancel, 302, QStringLiteral("Abbrechen"));
    setTranslatable(ui->btnNetworkSave, 687, QStringLiteral("Speichern"));
    setTranslatable(ui->lblNetworkHeadline, 859, QStringLiteral("Netzwerk-Einstellungen"));
    setTranslatable(ui->lblNetworkIp, 860, QStringLiteral("IP Adresse"));
    setTranslatable(ui->lblNetworkPort, 861, QStringLiteral("Port"));

    // The built-in texts stay when no language file can be read.
    ui->btnNetworkCancel->setText(QStringLiteral("Abbrechen"));
    ui->btnNetworkSave->setText(QStringLiteral("Speichern"));
    ui->lblNetworkHeadline->setText(QStringLiteral("Netzwerk-Einstellungen"));
    ui->lblNetworkIp->setText(QStringLiteral("IP Adresse"));
    ui->lblNetworkPort->setText(QStringLiteral("Port"));
}
