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
    CountingWindow() { resize(1280, 800); }
    int counter = 0;
    QLineEdit* edit = new QLineEdit(this);

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
        window = new CountingWindow;
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    void cleanup()
    {
        delete window;
        QCOMPARE(ZDialog::openDialogCount(), 0);
    }

    // It covers its window and follows its size. Shown twice counts once;
    // hidden, deleted or taken down with the window it uncounts.
    void coversTheWindowAndCountsShownDialogsOnce()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZDialog needs the window it covers"));
        ZDialog withoutWindow(nullptr);
        auto* first = new ZDialog(window);
        auto* second = new ZDialog(window, Qt::Dialog | Qt::WindowStaysOnTopHint);   // both go with the window below
        QVERIFY(!second->isWindow());
        QCoreApplication::processEvents();
        first->hide();
        QCOMPARE(window->counter, 0);
        first->show();
        first->show();
        second->show();
        QCOMPARE(second->geometry(), QRect(0, 0, 1280, 800));
        QCOMPARE(window->counter, 2);
        first->close();
        QCOMPARE(window->counter, 1);
        // The window hidden and shown again keeps the count balanced.
        window->hide();
        QCOMPARE(window->counter, 0);
        window->show();
        QCOMPARE(window->counter, 1);
        window->resize(1024, 768);
        QTRY_COMPARE(second->size(), QSize(1024, 768));
        delete second;
        QCOMPARE(window->counter, 0);

        QPointer<ZDialog> orphan = new ZDialog(window);
        orphan->show();
        QCOMPARE(ZDialog::openDialogCount(), 1);
        delete window;
        window = nullptr;
        QVERIFY(orphan.isNull());
    }

    void shownDialogsHoldTheKeyboardAndHandItBack()
    {
        ButtonDialog lower(window, 2);
        ButtonDialog upper(window, 1);
        QCoreApplication::processEvents();
        const auto focused = [this] { return window->focusWidget(); };
        window->edit->setFocus();
        lower.show();
        QCOMPARE(focused(), lower.button(0));
        // Keys aimed at the covered field are dropped; Tab stays inside the dialog.
        QTest::keyClicks(window->edit, QStringLiteral("ef"));
        QCOMPARE(window->edit->text(), QString());
        QSignalSpy clicked(lower.button(0), SIGNAL(clicked()));
        QTest::keyClick(window->windowHandle(), Qt::Key_Return);
        QCOMPARE(clicked.size(), 1);
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
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
        QCOMPARE(focused(), window->edit);
        QTest::keyClick(window->windowHandle(), 'g');
        QCOMPARE(window->edit->text(), QStringLiteral("g"));
    }

private:
    CountingWindow* window = nullptr;
};

QTEST_MAIN(TestZDialog)
#include "tst_zdialog.moc"
