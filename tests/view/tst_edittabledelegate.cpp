// Cell editing: the numeric validator, which validators the line editor gets
// from a cell's limits, the border colour while typing, the single path by
// which a change enters the held table, and the delegate's painting.

#include "../common/LogCapture.h"
#include "view/DoubleValidator.h"
#include "view/EditTableDelegate.h"

#include <QLineEdit>
#include <QRegExpValidator>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include <memory>

namespace {

TableCell editCell(TableCell::CellType type, int rights, int limits)
{
    TableCell cell;
    cell.setCellType(type);
    cell.setRights(rights);
    cell.setValue(QStringLiteral("12"));
    cell.setLimitFlags(limits);
    cell.setMin(0.0);
    cell.setMax(100.0);
    cell.setDp(2);
    cell.setDg(5);
    cell.setRegx(QStringLiteral("[0-9]{3}"));
    return cell;
}

TableStructure oneCellTable(const TableCell& cell, int tableType = TableStructure::ROWS)
{
    TableStructure table;
    table.setTableType(tableType);
    table.setRows({{cell}});
    return table;
}

// A plain table widget with the delegate and items for every held cell.
struct DelegateFixture
{
    explicit DelegateFixture(const TableStructure& table)
    {
        view.reset(new QTableWidget);
        delegate.reset(new EditTableDelegate(view.get()));
        view->setItemDelegate(delegate.get());
        delegate->setTable(table);
        view->setRowCount(1);
        view->setColumnCount(1);
        view->setItem(0, 0, new QTableWidgetItem(table.cellAt(0, 0).getValue().toString()));
    }

    ~DelegateFixture() { view->setItemDelegate(nullptr); }

    QLineEdit* openEditor(int row = 0, int column = 0)
    {
        return static_cast<QLineEdit*>(
            delegate->createEditor(view->viewport(), QStyleOptionViewItem(), view->model()->index(row, column)));
    }

    std::unique_ptr<QTableWidget> view;
    std::unique_ptr<EditTableDelegate> delegate;
};

enum ValidatorKind { NoValidator, Numeric, Pattern };

} // namespace

Q_DECLARE_METATYPE(ValidatorKind)

class TestEditTableDelegate : public QObject
{
    Q_OBJECT

private slots:
    void doubleValidator();
    void validatorFromLimits_data();
    void validatorFromLimits();
    void changeEntersTheTableOnce();
    void committingAfterTheTableWasCleared();
};

void TestEditTableDelegate::doubleValidator()
{
    struct Case { int maxLength; bool range; const char* input; QValidator::State state; };
    const Case cases[] = {
        {5, false, "123456", QValidator::Invalid},      // six digits
        {5, false, "-12345", QValidator::Acceptable},   // the minus is not counted
        {0, true, "12.345", QValidator::Invalid},       // too many decimals
    };
    for (const Case& c : cases) {
        DoubleValidator validator(nullptr);
        validator.setLocale(QLocale(QLocale::English, QLocale::AnyCountry));
        validator.setNotation(QDoubleValidator::StandardNotation);
        validator.setMaxLength(c.maxLength, !c.range);
        if (c.range) {
            validator.setBottom(0.0);
            validator.setTop(100.0);
            validator.setDecimals(2);
        }
        QString input = QString::fromLatin1(c.input);
        int pos = input.size();
        QVERIFY2(validator.validate(input, pos) == c.state, c.input);
    }
}

void TestEditTableDelegate::validatorFromLimits_data()
{
    QTest::addColumn<int>("tableType");
    QTest::addColumn<int>("cellType");
    QTest::addColumn<int>("rights");
    QTest::addColumn<int>("limits");
    QTest::addColumn<QString>("regx");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<ValidatorKind>("kind");
    // A text the editor must take (typed key by key), and whether a warning is logged.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("warning");

    const int number = TableCell::NUMBER_EDIT;
    const int text = TableCell::TEXT_EDIT;
    const int rows = TableStructure::ROWS;
    const int all = TableCell::MIN | TableCell::MAX | TableCell::DP | TableCell::DG;
    const int range = TableCell::MIN | TableCell::MAX;
    const int regx = TableCell::REGX;
    const QString digits = QStringLiteral("[0-9]{3}");
    auto add = [&](const char* name, int tableType, int cellType, int rights, int limits, ValidatorKind kind,
                   const char* typed, bool warning = false, const QString& pattern = QString(),
                   double min = 0.0, double max = 100.0) {
        QTest::newRow(name) << tableType << cellType << rights << limits << (pattern.isEmpty() ? digits : pattern)
                            << min << max << kind << QString::fromUtf8(typed) << warning;
    };
    add("number, all limits", rows, number, 2, all, Numeric, "12.5");
    add("number, DG only", rows, number, 2, TableCell::DG, NoValidator, "abc");
    add("number, STAB table", TableStructure::STAB, number, 2, all, NoValidator, "abc");
    // An impossible range is left out rather than refusing every number.
    add("number, MIN not a number", rows, number, 2, range, Numeric, "50", true, digits, qQNaN(), 100.0);
    add("text, REGX", rows, text, 2, regx, Pattern, "123");
    // Patterns QRegExp cannot read would lock the cell: no validator, a warning.
    add("text, lazy quantifier", rows, text, 2, regx, NoValidator, "ABC", true, "[A-Z]+?");
}

void TestEditTableDelegate::validatorFromLimits()
{
    QFETCH(int, tableType);
    QFETCH(int, cellType);
    QFETCH(int, rights);
    QFETCH(int, limits);
    QFETCH(QString, regx);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(ValidatorKind, kind);
    QFETCH(QString, typed);
    QFETCH(bool, warning);

    TableCell cell = editCell(TableCell::CellType(cellType), rights, limits);
    cell.setRegx(regx);
    cell.setMin(min);
    cell.setMax(max);
    DelegateFixture fixture(oneCellTable(cell, tableType));
    LogCapture log;
    QLineEdit* editor = fixture.openEditor();
    QCOMPARE(log.messages().size(), warning ? 1 : 0);

    const QValidator* validator = editor->validator();
    switch (kind) {
    case NoValidator:
        QVERIFY(editor->findChildren<QValidator*>().isEmpty());
        break;
    case Numeric: {
        auto* numeric = qobject_cast<const DoubleValidator*>(validator);
        QVERIFY(numeric);
        QCOMPARE(numeric->locale().decimalPoint(), QLatin1Char('.'));
        const bool usableRange = !warning;
        if ((limits & TableCell::MIN) && usableRange)
            QCOMPARE(numeric->bottom(), min);
        if ((limits & TableCell::MAX) && usableRange)
            QCOMPARE(numeric->top(), max);
        if (!usableRange) {
            QVERIFY(qIsInf(numeric->bottom()) && numeric->bottom() < 0);
            QVERIFY(qIsInf(numeric->top()) && numeric->top() > 0);
        }
        if (limits & TableCell::DG) {
            QString six = QStringLiteral("123456");
            int pos = 6;
            QCOMPARE(numeric->validate(six, pos), QValidator::Invalid);
        }
        break;
    }
    case Pattern: {
        auto* pattern = qobject_cast<const QRegExpValidator*>(validator);
        QVERIFY(pattern);
        QCOMPARE(pattern->regExp().pattern(), regx);
        break;
    }
    }

    // The cell takes what the user types.
    QTest::keyClicks(editor, typed);
    QCOMPARE(editor->text(), typed);
    if (validator)
        QVERIFY(editor->hasAcceptableInput());
    delete editor;
}

void TestEditTableDelegate::changeEntersTheTableOnce()
{
    TableCell combo = editCell(TableCell::COMBO_INDEX, 2, 0);
    combo.setValue(2);
    DelegateFixture fixture(oneCellTable(combo));
    QSignalSpy updates(fixture.delegate.get(), &EditTableDelegate::updateCellValue);

    fixture.delegate->setCellValue(0, 0, QVariant(2));        // the same entry again
    fixture.delegate->setCellValue(0, 0, QVariant("2"));      // the same text
    QCOMPARE(updates.count(), 0);
    QVERIFY(!fixture.delegate->getCell(0, 0).isChanged());

    fixture.delegate->setCellValue(0, 0, QVariant(3));
    QCOMPARE(updates.count(), 1);
    QVERIFY(fixture.delegate->getCell(0, 0).isChanged());
    QCOMPARE(fixture.delegate->getTable().cellAt(0, 0).getValue().toInt(), 3);

    fixture.delegate->setCellValue(1, 0, QVariant(4));   // outside the table
    QCOMPARE(updates.count(), 1);
}

void TestEditTableDelegate::committingAfterTheTableWasCleared()
{
    DelegateFixture fixture(oneCellTable(editCell(TableCell::TEXT_EDIT, 2, 0)));
    // A listener that empties the view while it hears of the change.
    QObject::connect(fixture.delegate.get(), &EditTableDelegate::updateCellValue, fixture.view.get(),
                     [&fixture]() { fixture.view->setRowCount(0); });
    const QModelIndex index = fixture.view->model()->index(0, 0);
    QLineEdit* editor = fixture.openEditor();
    editor->setText(QStringLiteral("neu"));
    fixture.delegate->setModelData(editor, fixture.view->model(), index);
    QCOMPARE(fixture.view->rowCount(), 0);
    QCOMPARE(fixture.delegate->getCell(0, 0).getValue().toString(), QStringLiteral("neu"));
    delete editor;
}

QTEST_MAIN(TestEditTableDelegate)
#include "tst_edittabledelegate.moc"
