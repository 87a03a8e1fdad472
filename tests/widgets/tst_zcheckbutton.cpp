// The three-state check button: states, the order and count of its signals,
// and the picture shown for each state.
#include "widgets/ZCheckButton.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QImage normalized(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QString pictureFor(ZCheckButton::CheckState state)
{
    switch (state) {
    case ZCheckButton::Checked:
        return ":/pic/icon/checked_checkbox.png";
    case ZCheckButton::Unchecked:
        return ":/pic/icon/unchecked_checkbox.png";
    case ZCheckButton::Tristate:
        return ":/pic/icon/tristate_checkbox.png";
    }
    return {};
}

} // namespace

class TestZCheckButton : public QObject
{
    Q_OBJECT

private slots:
    void transitions_data();
    void transitions();
    void unknownStateIsRefused();
};

void TestZCheckButton::transitions_data()
{
    QTest::addColumn<int>("initial");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QStringList>("emitted");

    const int on = ZCheckButton::Checked;
    const int off = ZCheckButton::Unchecked;
    const int tri = ZCheckButton::Tristate;

    QTest::newRow("tap checked") << on << "click" << off << QStringList{"bool false", "state 1"};
    QTest::newRow("real tap") << off << "mouse" << on << QStringList{"bool true", "state 0"};
    QTest::newRow("tap tristate") << tri << "click" << on << QStringList{"bool true", "state 0"};
    QTest::newRow("set same tristate") << tri << "set 2" << tri << QStringList{};
    QTest::newRow("set tristate") << on << "set 2" << tri << QStringList{"state 2"};
    QTest::newRow("set checked from tristate") << tri << "set 0" << on
                                               << QStringList{"bool true", "state 0"};
    QTest::newRow("status true") << off << "status true" << on
                                 << QStringList{"bool true", "state 0"};
    QTest::newRow("status same") << on << "status true" << on << QStringList{};
    QTest::newRow("silent icon") << on << "icon 2" << tri << QStringList{};
}

void TestZCheckButton::transitions()
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
    }
    else if (words[0] == "set")
        button.setButtonCheckState(ZCheckButton::CheckState(words[1].toInt()));
    else if (words[0] == "status")
        button.setCheckStatus(words[1] == "true");
    else if (words[0] == "icon")
        button.setButtonIcon(ZCheckButton::CheckState(words[1].toInt()));

    QCOMPARE(got, emitted);
    QCOMPARE(int(button.getButtonCheckState()), expected);
    QCOMPARE(normalized(button.icon().pixmap(26, 26).toImage()),
             normalized(QImage(pictureFor(ZCheckButton::CheckState(expected)))));
}

void TestZCheckButton::unknownStateIsRefused()
{
    ZCheckButton button(true);
    QSignalSpy states(&button,
                      QOverload<ZCheckButton::CheckState>::of(&ZCheckButton::changeCheckStatus));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("ZCheckButton: ignoring unknown check state 7"));
    button.setButtonCheckState(ZCheckButton::CheckState(7));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("ZCheckButton: ignoring unknown check state -1"));
    button.setButtonIcon(ZCheckButton::CheckState(-1));
    QCOMPARE(button.getButtonCheckState(), ZCheckButton::Checked);
    QCOMPARE(states.count(), 0);
}

QTEST_MAIN(TestZCheckButton)
#include "tst_zcheckbutton.moc"
