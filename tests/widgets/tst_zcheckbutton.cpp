// The three-state check button: states, the order and count of its signals,
// and the picture shown for each state.
#include "widgets/ZCheckButton.h"

#include <QSignalSpy>
#include <QtTest>

class TestZCheckButton : public QObject
{
    Q_OBJECT

private slots:
    void transitions_data()
    {
        QTest::addColumn<int>("initial");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("emitted");
        const int on = ZCheckButton::Checked, off = ZCheckButton::Unchecked, tri = ZCheckButton::Tristate;
        QTest::newRow("real tap") << off << "mouse" << on << QStringList{"bool true", "state 0"};
        QTest::newRow("tap tristate") << tri << "click" << on << QStringList{"bool true", "state 0"};
        QTest::newRow("set same tristate") << tri << "set 2" << tri << QStringList{};
        QTest::newRow("set tristate") << on << "set 2" << tri << QStringList{"state 2"};
        QTest::newRow("status same") << on << "status true" << on << QStringList{};
        QTest::newRow("silent icon") << on << "icon 2" << tri << QStringList{};
        QTest::newRow("unknown state") << on << "set 7" << on << QStringList{};
    }

    void transitions()
    {
        QFETCH(int, initial);
        QFETCH(QString, action);
        QFETCH(int, expected);
        QFETCH(QStringList, emitted);
        ZCheckButton button;
        button.setButtonIcon(ZCheckButton::CheckState(initial));
        QStringList got;
        connect(&button, QOverload<bool>::of(&ZCheckButton::changeCheckStatus), this,
                [&got](bool on) { got << (on ? "bool true" : "bool false"); });
        connect(&button, QOverload<ZCheckButton::CheckState>::of(&ZCheckButton::changeCheckStatus),
                this, [&got](ZCheckButton::CheckState s) { got << "state " + QString::number(s); });

        const QStringList words = action.split(' ');
        if (words[0] == "click") {
            button.customClick();
        } else if (words[0] == "mouse") {
            button.show();
            QVERIFY(QTest::qWaitForWindowExposed(&button));
            QTest::mouseClick(&button, Qt::LeftButton);
        } else if (words[0] == "status") {
            button.setCheckStatus(words[1] == "true");
        } else if (words[0] == "icon") {
            button.setButtonIcon(ZCheckButton::CheckState(words[1].toInt()));
        } else {
            if (words[1] == "7")
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZCheckButton: ignoring unknown check state 7"));
            button.setButtonCheckState(ZCheckButton::CheckState(words[1].toInt()));
        }
        QCOMPARE(got, emitted);
        QCOMPARE(int(button.getButtonCheckState()), expected);
        const char* pictures[] = {"checked", "unchecked", "tristate"};
        QCOMPARE(button.icon().pixmap(26, 26).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 QImage(QString(":/pic/icon/%1_checkbox.png").arg(pictures[expected]))
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
};

QTEST_MAIN(TestZCheckButton)
#include "tst_zcheckbutton.moc"
