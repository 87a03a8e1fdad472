// ZTooltip: shown under its widget for its time, then gone; a resize of the
// watched window hides it early.
#include "widgets/ZTooltip.h"

#include <QPointer>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

namespace {

QWidget* tipLabel()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible())
            return w;
    return nullptr;
}

// What the visible tip reads as, once its markup is rendered.
QString shownText()
{
    QTextDocument document;
    document.setHtml(QToolTip::text());
    return document.toPlainText();
}

} // namespace

class TestZTooltip : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsUnderWidgetAndDeletesItself();
    void windowResizeHidesTip();
    void markupIsShownAsText_data();
    void markupIsShownAsText();
    void badInputIsReported();

private:
    QWidget* m_window = nullptr;
    QToolButton* m_button = nullptr;
};

void TestZTooltip::init()
{
    m_window = new QWidget;
    m_window->resize(800, 600);
    m_button = new QToolButton(m_window);
    m_button->setGeometry(600, 10, 52, 52);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestZTooltip::cleanup()
{
    QToolTip::hideText();
    delete m_window;
}

void TestZTooltip::showsUnderWidgetAndDeletesItself()
{
    QPointer<ZTooltip> tip = new ZTooltip(QStringLiteral("TEVARO-WLAN"), m_button, m_window, 400);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(shownText(), QStringLiteral("TEVARO-WLAN"));

    QWidget* label = tipLabel();
    QVERIFY(label);
    const QPoint anchor = m_button->mapToGlobal(QPoint(0, 39));
    QVERIFY2((label->pos() - anchor).manhattanLength() < 40,
             qPrintable(QString("tip at %1,%2").arg(label->x()).arg(label->y())));

    QVERIFY(!tip.isNull());
    QTRY_VERIFY_WITH_TIMEOUT(tip.isNull(), 3000);
}

void TestZTooltip::windowResizeHidesTip()
{
    QPointer<ZTooltip> tip = new ZTooltip(QStringLiteral("SSID"), m_button, m_window, 5000);
    QVERIFY(QToolTip::isVisible());
    m_window->resize(1024, 768);
    QTRY_VERIFY(!QToolTip::isVisible());
    QVERIFY(!tip.isNull()); // the object keeps its own time
    delete tip;
}

void TestZTooltip::markupIsShownAsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("bold") << "<b>Kessel</b>";
    QTest::newRow("picture") << "WLAN <img src=\"/etc/x.png\"> 1";
    QTest::newRow("entity") << "A &amp; B";
    QTest::newRow("less-than") << "Pegel < 3 & > 1";
    QTest::newRow("two spaces") << "Netz  2";
}

void TestZTooltip::markupIsShownAsText()
{
    QFETCH(QString, text);
    QPointer<ZTooltip> tip = new ZTooltip(text, m_button, m_window, 5000);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(shownText(), text);
    delete tip;
}

void TestZTooltip::badInputIsReported()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZTooltip: nothing shown"));
    QPointer<ZTooltip> noWidget = new ZTooltip(QStringLiteral("x"), nullptr, m_window, 1000);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZTooltip: nothing shown"));
    QPointer<ZTooltip> noTime = new ZTooltip(QStringLiteral("x"), m_button, m_window, 0);
    QVERIFY(!QToolTip::isVisible());
    QTRY_VERIFY(noWidget.isNull() && noTime.isNull());
}

QTEST_MAIN(TestZTooltip)
#include "tst_ztooltip.moc"
