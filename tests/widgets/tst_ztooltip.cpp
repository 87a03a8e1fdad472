// ZTooltip: shown under its widget for its time, then gone; a resize of the
// watched window hides it early; markup is shown as typed.
#include "widgets/ZTooltip.h"

#include <QPointer>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

namespace {

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
    void init()
    {
        m_window = new QWidget;
        m_window->resize(800, 600);
        m_button = new QToolButton(m_window);
        m_button->setGeometry(600, 10, 52, 52);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void cleanup()
    {
        QToolTip::hideText();
        delete m_window;
    }

    void showsUnderWidgetAndDeletesItself()
    {
        QPointer<ZTooltip> tip = new ZTooltip(QStringLiteral("Pegel < 3 & <b>1</b>"), m_button, m_window, 400);
        QCOMPARE(shownText(), QStringLiteral("Pegel < 3 & <b>1</b>"));
        QWidget* label = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel") && w->isVisible())
                label = w;
        QVERIFY(label);
        QVERIFY((label->pos() - m_button->mapToGlobal(QPoint(0, 39))).manhattanLength() < 40);
        QTRY_VERIFY_WITH_TIMEOUT(tip.isNull(), 3000);

        // Nothing to show under or no time to show it: reported, nothing shown.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZTooltip: nothing shown"));
        QPointer<ZTooltip> noWidget = new ZTooltip(QStringLiteral("x"), nullptr, m_window, 1000);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZTooltip: nothing shown"));
        QPointer<ZTooltip> noTime = new ZTooltip(QStringLiteral("x"), m_button, m_window, 0);
        QVERIFY(!QToolTip::isVisible());
        QTRY_VERIFY(noWidget.isNull() && noTime.isNull());
    }

    void windowResizeHidesTip()
    {
        QPointer<ZTooltip> tip = new ZTooltip(QStringLiteral("SSID"), m_button, m_window, 5000);
        QVERIFY(QToolTip::isVisible());
        m_window->resize(1024, 768);
        QTRY_VERIFY(!QToolTip::isVisible());
        delete tip; // the object keeps its own time
    }

private:
    QWidget* m_window = nullptr;
    QToolButton* m_button = nullptr;
};

QTEST_MAIN(TestZTooltip)
#include "tst_ztooltip.moc"
