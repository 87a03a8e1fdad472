// ZDialog: covers the window it belongs to, follows its size, keeps the
// open-dialog count equal to the number of dialogs on screen, and holds the
// keyboard while shown.
#include "widgets/ZDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
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

// A dialog with a row of buttons named "b0", "b1", ...
class ButtonDialog : public ZDialog
{
    Q_OBJECT

public:
    ButtonDialog(QWidget* window, int count) : ZDialog(window)
    {
        auto* layout = new QHBoxLayout(this);
        for (int i = 0; i < count; ++i)
            layout->addWidget(new QPushButton(QStringLiteral("b%1").arg(i), this));
    }
    QPushButton* button(int i) { return findChildren<QPushButton*>().at(i); }
};

class TestZDialog : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_window = new CountingWindow;
        m_window->resize(1280, 800);
        m_edit = new QLineEdit(m_window);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QApplication::setActiveWindow(m_window);
        QVERIFY(QTest::qWaitForWindowActive(m_window));
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        QCOMPARE(ZDialog::openDialogCount(), 0);
    }

    // It covers its window and follows its size. Shown twice counts once;
    // hidden, deleted or taken down with the window it uncounts.
    void coversTheWindowAndCountsShownDialogsOnce()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZDialog needs the window it covers"));
        ZDialog withoutWindow(nullptr);
        auto* first = new ZDialog(m_window);
        auto* second = new ZDialog(m_window, Qt::Dialog | Qt::WindowStaysOnTopHint); // both go with the window below
        QVERIFY(!second->isWindow());
        QCoreApplication::processEvents();
        first->hide();
        QCOMPARE(m_window->counter, 0);
        first->show();
        first->show();
        second->show();
        QCOMPARE(second->geometry(), QRect(0, 0, 1280, 800));
        QCOMPARE(m_window->counter, 2);
        first->close();
        QCOMPARE(m_window->counter, 1);
        // The window hidden and shown again keeps the count balanced.
        m_window->hide();
        QCOMPARE(m_window->counter, 0);
        m_window->show();
        QCOMPARE(m_window->counter, 1);
        m_window->resize(1024, 768);
        QTRY_COMPARE(second->size(), QSize(1024, 768));
        delete second;
        QCOMPARE(m_window->counter, 0);

        QPointer<ZDialog> orphan = new ZDialog(m_window);
        orphan->show();
        QCOMPARE(ZDialog::openDialogCount(), 1);
        delete m_window;
        m_window = nullptr;
        QVERIFY(orphan.isNull());
        QCOMPARE(ZDialog::openDialogCount(), 0);
    }

    void shownDialogsHoldTheKeyboardAndHandItBack()
    {
        ButtonDialog lower(m_window, 2);
        ButtonDialog upper(m_window, 1);
        QCoreApplication::processEvents();
        m_edit->setFocus();
        lower.show();
        QCOMPARE(focused(), lower.button(0));
        // Keys aimed at the covered field are dropped; Tab stays inside the dialog.
        QTest::keyClicks(m_edit, QStringLiteral("ef"));
        QCOMPARE(m_edit->text(), QString());
        QSignalSpy clicked(lower.button(0), SIGNAL(clicked()));
        QTest::keyClick(m_window->windowHandle(), Qt::Key_Return);
        QCOMPARE(clicked.size(), 1);
        QTest::keyClick(m_window->windowHandle(), Qt::Key_Tab);
        QTest::keyClick(m_window->windowHandle(), Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(focused(), lower.button(0));

        lower.button(1)->setFocus();
        upper.show();
        QCOMPARE(focused(), upper.button(0));
        upper.hide();
        QCOMPARE(focused(), lower.button(1));
        // Lower one hidden first: the upper goes back past it.
        upper.show();
        lower.hide();
        QCOMPARE(focused(), upper.button(0));
        upper.hide();
        QCOMPARE(focused(), m_edit);
        QTest::keyClick(m_window->windowHandle(), 'g');
        QCOMPARE(m_edit->text(), QStringLiteral("g"));
    }

private:
    QWidget* focused() const { return m_window->focusWidget(); }

    CountingWindow* m_window = nullptr;
    QLineEdit* m_edit = nullptr;
};

QTEST_MAIN(TestZDialog)
#include "tst_zdialog.moc"
