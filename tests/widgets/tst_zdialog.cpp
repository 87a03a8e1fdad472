// ZDialog: covers the window it belongs to, follows its size, and keeps the
// open-dialog count equal to the number of dialogs on screen.
#include "widgets/ZDialog.h"

#include <QPointer>
#include <QtTest>

// Stands in for the main window: it counts through the same slots.
class CountingWindow : public QWidget
{
    Q_OBJECT

public:
    int counter = 0;

public slots:
    void addDialogCounter() { ++counter; }
    void reduceDialogCounter() { --counter; }
};

class TestZDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void isFramelessChildAtTopLeft();
    void takesWindowSizeAfterFirstPass();
    void followsWindowResize();
    void countsShownDialogs();
    void repeatedHideDoesNotUndercount();
    void destroyedWhileVisibleUncounts();
    void deleteOnCloseUncounts();
    void windowHiddenAndShownKeepsCountBalanced();
    void windowDestroyedWithOpenDialog();
    void lastShownIsOnTop();
    void plainParentWithoutSlotsStillCounts();
    void missingParentIsReported();

private:
    CountingWindow* m_window = nullptr;
};

void TestZDialog::init()
{
    m_window = new CountingWindow;
    m_window->resize(1280, 800);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestZDialog::cleanup()
{
    delete m_window;
    m_window = nullptr;
    QCOMPARE(ZDialog::openDialogCount(), 0);
}

void TestZDialog::isFramelessChildAtTopLeft()
{
    ZDialog dialog(m_window, Qt::Dialog | Qt::WindowStaysOnTopHint);
    QCOMPARE(dialog.windowFlags(), Qt::WindowFlags(Qt::FramelessWindowHint));
    QVERIFY(!dialog.isWindow());
    QCOMPARE(dialog.parentWidget(), m_window);
    QCOMPARE(dialog.pos(), QPoint(0, 0));
    QVERIFY(!dialog.isVisible());
}

void TestZDialog::takesWindowSizeAfterFirstPass()
{
    ZDialog dialog(m_window);
    QVERIFY(dialog.minimumSize() != QSize(1280, 800));
    QCoreApplication::processEvents();
    QCOMPARE(dialog.minimumSize(), QSize(1280, 800));
    QCOMPARE(dialog.maximumSize(), QSize(1280, 800));
    dialog.show();
    QCOMPARE(dialog.geometry(), QRect(0, 0, 1280, 800));
}

void TestZDialog::followsWindowResize()
{
    ZDialog dialog(m_window);
    QCoreApplication::processEvents();
    dialog.show();
    m_window->resize(1024, 768);
    QTRY_COMPARE(dialog.size(), QSize(1024, 768));
    QCOMPARE(dialog.minimumSize(), QSize(1024, 768));
    QCOMPARE(dialog.maximumSize(), QSize(1024, 768));
    QCOMPARE(dialog.pos(), QPoint(0, 0));
}

void TestZDialog::countsShownDialogs()
{
    ZDialog first(m_window);
    ZDialog second(m_window);
    first.show();
    second.show();
    QCOMPARE(m_window->counter, 2);
    QCOMPARE(ZDialog::openDialogCount(), 2);
    first.hide();
    QCOMPARE(m_window->counter, 1);
    QCOMPARE(ZDialog::openDialogCount(), 1);
    second.close();
    QCOMPARE(m_window->counter, 0);
    QCOMPARE(ZDialog::openDialogCount(), 0);
}

void TestZDialog::repeatedHideDoesNotUndercount()
{
    ZDialog dialog(m_window);
    dialog.hide();
    dialog.close();
    QCOMPARE(m_window->counter, 0);
    dialog.show();
    dialog.show();
    QCOMPARE(m_window->counter, 1);
    dialog.hide();
    dialog.hide();
    dialog.close();
    QCOMPARE(m_window->counter, 0);
    QCOMPARE(ZDialog::openDialogCount(), 0);
}

void TestZDialog::destroyedWhileVisibleUncounts()
{
    auto* dialog = new ZDialog(m_window);
    dialog->show();
    QCOMPARE(m_window->counter, 1);
    delete dialog;
    QCOMPARE(m_window->counter, 0);
    QCOMPARE(ZDialog::openDialogCount(), 0);

    QPointer<ZDialog> later = new ZDialog(m_window);
    later->show();
    later->deleteLater();
    QTRY_VERIFY(later.isNull());
    QCOMPARE(m_window->counter, 0);
}

void TestZDialog::deleteOnCloseUncounts()
{
    QPointer<ZDialog> dialog = new ZDialog(m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    QCOMPARE(m_window->counter, 1);
    dialog->close();
    QCOMPARE(m_window->counter, 0);
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(m_window->counter, 0);
}

void TestZDialog::windowHiddenAndShownKeepsCountBalanced()
{
    ZDialog open(m_window);
    ZDialog closed(m_window);
    open.show();
    m_window->hide();
    QCOMPARE(m_window->counter, 0);
    m_window->show();
    QCOMPARE(m_window->counter, 1);
    QCOMPARE(ZDialog::openDialogCount(), 1);
    open.hide();
    QCOMPARE(m_window->counter, 0);
}

void TestZDialog::windowDestroyedWithOpenDialog()
{
    QPointer<ZDialog> dialog = new ZDialog(m_window);
    dialog->show();
    QCOMPARE(ZDialog::openDialogCount(), 1);
    delete m_window;
    m_window = nullptr;
    QVERIFY(dialog.isNull());
    QCOMPARE(ZDialog::openDialogCount(), 0);
}

void TestZDialog::lastShownIsOnTop()
{
    ZDialog earlier(m_window);
    ZDialog later(m_window);
    QCoreApplication::processEvents();
    later.show();
    earlier.show();
    QCOMPARE(m_window->childAt(640, 400), &earlier);
    earlier.hide();
    QCOMPARE(m_window->childAt(640, 400), &later);
}

void TestZDialog::plainParentWithoutSlotsStillCounts()
{
    QWidget plain;
    plain.resize(300, 200);
    plain.show();
    ZDialog dialog(&plain);
    dialog.show();
    QCOMPARE(ZDialog::openDialogCount(), 1);
    dialog.hide();
    QCOMPARE(ZDialog::openDialogCount(), 0);
}

void TestZDialog::missingParentIsReported()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZDialog needs the window it covers"));
    ZDialog dialog(nullptr);
    QVERIFY(!dialog.isVisible());
    QCoreApplication::processEvents();
}

QTEST_MAIN(TestZDialog)
#include "tst_zdialog.moc"
