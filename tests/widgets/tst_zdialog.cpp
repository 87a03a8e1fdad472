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

namespace {

// Types text through the window, to whichever widget has the focus.
void typeThrough(QWindow* window, const QString& text)
{
    for (const QChar character : text)
        QTest::keyClick(window, character.toLatin1());
}

} // namespace

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
        for (int i = 0; i < count; ++i) {
            auto* button = new QPushButton(QStringLiteral("b%1").arg(i), this);
            button->setObjectName(QStringLiteral("b%1").arg(i));
            layout->addWidget(button);
        }
    }

    QPushButton* button(int i) { return findChild<QPushButton*>(QStringLiteral("b%1").arg(i)); }
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
    void shownDialogTakesTheKeyboard();
    void tabStaysInsideTheDialog();
    void focusSetOnACoveredWidgetComesBack();
    void stackedDialogsHandTheFocusBack();
    void lowerDialogHiddenFirst();
    void destroyedWhileShownGivesTheFocusBack();

private:
    QWidget* focused() const { return m_window->focusWidget(); }

    CountingWindow* m_window = nullptr;
    QLineEdit* m_edit = nullptr;   // a widget of the covered window
};

void TestZDialog::init()
{
    m_window = new CountingWindow;
    m_window->resize(1280, 800);
    m_edit = new QLineEdit(m_window);
    m_edit->setObjectName(QStringLiteral("covered"));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestZDialog::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_edit = nullptr;
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

void TestZDialog::shownDialogTakesTheKeyboard()
{
    ButtonDialog dialog(m_window, 2);
    m_edit->setFocus();
    typeThrough(m_window->windowHandle(), QStringLiteral("ab"));
    QCOMPARE(m_edit->text(), QStringLiteral("ab"));

    dialog.show();
    QCOMPARE(focused(), dialog.button(0));
    // Typed keys reach the dialog, not the covered field; keys aimed at the
    // field directly are dropped as well.
    typeThrough(m_window->windowHandle(), QStringLiteral("cd"));
    QTest::keyClicks(m_edit, QStringLiteral("ef"));
    QSignalSpy returned(m_edit, SIGNAL(returnPressed()));
    QTest::keyClick(m_edit, Qt::Key_Return);
    QCOMPARE(m_edit->text(), QStringLiteral("ab"));
    QCOMPARE(returned.size(), 0);
    // Return presses the focused button of the dialog.
    QSignalSpy clicked(dialog.button(0), SIGNAL(clicked()));
    QTest::keyClick(m_window->windowHandle(), Qt::Key_Return);
    QCOMPARE(clicked.size(), 1);

    dialog.hide();
    QCOMPARE(focused(), m_edit);
    QCOMPARE(QApplication::focusWidget(), m_edit);
    typeThrough(m_window->windowHandle(), QStringLiteral("gh"));
    QCOMPARE(m_edit->text(), QStringLiteral("abgh"));
}

void TestZDialog::tabStaysInsideTheDialog()
{
    ButtonDialog dialog(m_window, 2);
    m_edit->setFocus();
    dialog.show();
    QList<QWidget*> visited;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(m_window->windowHandle(), Qt::Key_Tab);
        QCoreApplication::processEvents();
        visited.append(focused());
    }
    QCOMPARE(visited, (QList<QWidget*>{dialog.button(1), dialog.button(0), dialog.button(1), dialog.button(0),
                                       dialog.button(1)}));
    QTest::keyClick(m_window->windowHandle(), Qt::Key_Backtab);
    QCoreApplication::processEvents();
    QCOMPARE(focused(), dialog.button(0));
    QTest::keyClick(m_window->windowHandle(), Qt::Key_Backtab);
    QCoreApplication::processEvents();
    QCOMPARE(focused(), dialog.button(1));
    QCOMPARE(m_edit->text(), QString());
}

void TestZDialog::focusSetOnACoveredWidgetComesBack()
{
    ButtonDialog dialog(m_window, 2);
    dialog.show();
    dialog.button(1)->setFocus();
    m_edit->setFocus();
    QTRY_COMPARE(focused(), dialog.button(1));
    typeThrough(m_window->windowHandle(), QStringLiteral("x"));
    QCOMPARE(m_edit->text(), QString());
}

void TestZDialog::stackedDialogsHandTheFocusBack()
{
    ButtonDialog lower(m_window, 2);
    ButtonDialog upper(m_window, 1);
    m_edit->setFocus();
    lower.show();
    lower.button(1)->setFocus();
    upper.show();
    QCOMPARE(focused(), upper.button(0));
    // The lower dialog is covered as well.
    QSignalSpy lowerClicked(lower.button(1), SIGNAL(clicked()));
    QTest::keyClick(lower.button(1), Qt::Key_Space);
    QCOMPARE(lowerClicked.size(), 0);

    upper.hide();
    QCOMPARE(focused(), lower.button(1));
    lower.hide();
    QCOMPARE(focused(), m_edit);

    // Raised above a dialog shown later, the earlier one takes the keyboard.
    lower.show();
    upper.show();
    lower.raise();
    upper.button(0)->setFocus();
    QTRY_VERIFY(lower.isAncestorOf(focused()));
    upper.hide();
    QVERIFY(lower.isAncestorOf(focused()));
    lower.hide();
    QCOMPARE(focused(), m_edit);
}

void TestZDialog::lowerDialogHiddenFirst()
{
    ButtonDialog lower(m_window, 1);
    ButtonDialog upper(m_window, 1);
    m_edit->setFocus();
    lower.show();
    upper.show();
    lower.hide();
    QCOMPARE(focused(), upper.button(0));
    // The upper one goes back past the hidden one, to where it all began.
    upper.hide();
    QCOMPARE(focused(), m_edit);
}

void TestZDialog::destroyedWhileShownGivesTheFocusBack()
{
    m_edit->setFocus();
    auto* dialog = new ButtonDialog(m_window, 1);
    dialog->show();
    QCOMPARE(focused(), dialog->button(0));
    delete dialog;
    QCOMPARE(focused(), m_edit);
    typeThrough(m_window->windowHandle(), QStringLiteral("z"));
    QCOMPARE(m_edit->text(), QStringLiteral("z"));
}

QTEST_MAIN(TestZDialog)
#include "tst_zdialog.moc"
