// Cell editing: the numeric validator, which validators the line editor gets
// from a cell's limits, the border colour while typing, the single path by
// which a change enters the held table, and the delegate's painting.

#include "../common/LogCapture.h"
#include "view/DoubleValidator.h"
#include "view/EditTableDelegate.h"

#include <QLineEdit>
#include <QRegExpValidator>
#include <QRegularExpression>
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
        int columns = 0;
        for (int r = 0; r < table.rowCount(); ++r)
            columns = qMax(columns, table.rowAt(r).size());
        view->setRowCount(table.rowCount());
        view->setColumnCount(columns);
        for (int r = 0; r < table.rowCount(); ++r) {
            for (int c = 0; c < table.rowAt(r).size(); ++c)
                view->setItem(r, c, new QTableWidgetItem(table.cellAt(r, c).getValue().toString()));
        }
    }

    ~DelegateFixture()
    {
        view->setItemDelegate(nullptr);
    }

    QLineEdit* openEditor(int row = 0, int column = 0)
    {
        QStyleOptionViewItem option;
        auto* editor = static_cast<QLineEdit*>(
            delegate->createEditor(view->viewport(), option, view->model()->index(row, column)));
        return editor;
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
    void doubleValidator_data();
    void doubleValidator();
    void validatorFromLimits_data();
    void validatorFromLimits();
    void limitWithoutItsBitStaysOut();
    void borderColourFollowsValidity();
    void digitCountAloneColoursNothing();
    void openEditorsAreCounted();
    void changeEntersTheTableOnce();
    void committingTheEditor();
    void committingAfterTheTableWasCleared();
    void tableStyleDecidesTheGrid();
    void backgroundsByRights();
    void linesByStyle();
};

void TestEditTableDelegate::doubleValidator_data()
{
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<bool>("allowMinus");
    QTest::addColumn<bool>("range");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("state");

    const int ok = QValidator::Acceptable;
    const int bad = QValidator::Invalid;
    const int partial = QValidator::Intermediate;
    QTest::newRow("five digits") << 5 << true << false << "12345" << ok;
    QTest::newRow("six digits") << 5 << true << false << "123456" << bad;
    QTest::newRow("minus not counted") << 5 << true << false << "-12345" << ok;
    QTest::newRow("minus counted") << 5 << false << false << "-12345" << bad;
    QTest::newRow("minus counted, fits") << 5 << false << false << "-1234" << ok;
    QTest::newRow("empty") << 5 << true << false << "" << ok;
    QTest::newRow("empty with range") << 0 << false << true << "" << ok;
    QTest::newRow("comma") << 5 << true << false << "1,5" << bad;
    QTest::newRow("comma without limit") << -1 << false << false << "1,5" << bad;
    QTest::newRow("no limit") << -1 << false << false << "1234567890" << ok;
    QTest::newRow("lone minus") << 5 << true << false << "-" << partial;
    QTest::newRow("in range") << 0 << false << true << "12.34" << ok;
    QTest::newRow("too many decimals") << 0 << false << true << "12.345" << bad;
    QTest::newRow("above max") << 0 << false << true << "150" << partial;
    QTest::newRow("letters") << 0 << false << true << "1a" << bad;
}

void TestEditTableDelegate::doubleValidator()
{
    QFETCH(int, maxLength);
    QFETCH(bool, allowMinus);
    QFETCH(bool, range);
    QFETCH(QString, input);
    QFETCH(int, state);

    DoubleValidator validator(nullptr);
    validator.setLocale(QLocale(QLocale::English, QLocale::AnyCountry));
    validator.setNotation(QDoubleValidator::StandardNotation);
    validator.setMaxLength(maxLength, allowMinus);
    if (range) {
        validator.setBottom(0.0);
        validator.setTop(100.0);
        validator.setDecimals(2);
    }
    int pos = input.size();
    QCOMPARE(int(validator.validate(input, pos)), state);
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
    // A text the editor must take (typed key by key), and the warning logged, if any.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("warning");

    const int number = TableCell::NUMBER_EDIT;
    const int text = TableCell::TEXT_EDIT;
    const int rows = TableStructure::ROWS;
    const int all = TableCell::MIN | TableCell::MAX | TableCell::DP | TableCell::DG;
    const int range = TableCell::MIN | TableCell::MAX;
    const int regx = TableCell::REGX;
    const QString digits = QStringLiteral("[0-9]{3}");
    const QString badPattern = QStringLiteral("input pattern .* is not usable");
    const QString badRange = QStringLiteral("input range .* is not usable");
    QTest::newRow("number, all limits") << rows << number << 2 << all << digits << 0.0 << 100.0 << Numeric << "12.5"
                                        << "";
    QTest::newRow("number, MIN only") << rows << number << 2 << int(TableCell::MIN) << digits << 0.0 << 100.0
                                      << Numeric << "500" << "";
    QTest::newRow("number, DP only") << rows << number << 2 << int(TableCell::DP) << digits << 0.0 << 100.0
                                     << Numeric << "-7.25" << "";
    QTest::newRow("number, DG only") << rows << number << 2 << int(TableCell::DG) << digits << 0.0 << 100.0
                                     << NoValidator << "abc" << "";
    QTest::newRow("number, no limits") << rows << number << 2 << 0 << digits << 0.0 << 100.0 << NoValidator << "abc"
                                       << "";
    QTest::newRow("number, STAB table") << int(TableStructure::STAB) << number << 2 << all << digits << 0.0 << 100.0
                                        << NoValidator << "abc" << "";
    QTest::newRow("number, DTAB table") << int(TableStructure::DTAB) << number << 2 << all << digits << 0.0 << 100.0
                                        << NoValidator << "abc" << "";
    QTest::newRow("number, read only") << rows << number << 1 << all << digits << 0.0 << 100.0 << NoValidator
                                       << "abc" << "";
    QTest::newRow("number, no rights info") << rows << number << 0 << all << digits << 0.0 << 100.0 << NoValidator
                                            << "abc" << "";
    QTest::newRow("number, MIN equals MAX") << rows << number << 2 << range << digits << 5.0 << 5.0 << Numeric
                                            << "5" << "";
    // An impossible range is left out rather than refusing every number.
    QTest::newRow("number, MIN above MAX") << rows << number << 2 << range << digits << 100.0 << 0.0 << Numeric
                                           << "50" << badRange;
    QTest::newRow("number, MIN above MAX with DP") << rows << number << 2 << (range | TableCell::DP) << digits
                                                   << 10.0 << 1.0 << Numeric << "5.25" << badRange;
    QTest::newRow("number, MIN not a number") << rows << number << 2 << range << digits << qQNaN() << 100.0
                                              << Numeric << "50" << badRange;
    QTest::newRow("text, REGX") << rows << text << 2 << regx << digits << 0.0 << 100.0 << Pattern << "123" << "";
    // Patterns QRegExp cannot read would lock the cell: no validator, a warning.
    QTest::newRow("text, open bracket") << rows << text << 2 << regx << "[0-9" << 0.0 << 100.0 << NoValidator
                                        << "12x" << badPattern;
    QTest::newRow("text, lookbehind") << rows << text << 2 << regx << "(?<=a)b" << 0.0 << 100.0 << NoValidator
                                      << "ab" << badPattern;
    QTest::newRow("text, lazy quantifier") << rows << text << 2 << regx << "[A-Z]+?" << 0.0 << 100.0 << NoValidator
                                           << "ABC" << badPattern;
    QTest::newRow("text, number limits") << rows << text << 2 << all << digits << 0.0 << 100.0 << NoValidator
                                         << "abc" << "";
    QTest::newRow("text, STAB table") << int(TableStructure::STAB) << text << 2 << regx << digits << 0.0 << 100.0
                                      << NoValidator << "abc" << "";
    QTest::newRow("number, REGX") << rows << number << 2 << regx << digits << 0.0 << 100.0 << NoValidator << "abc"
                                  << "";
    QTest::newRow("plain text cell") << rows << int(TableCell::TEXT) << 2 << all << digits << 0.0 << 100.0
                                     << NoValidator << "abc" << "";
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
    QFETCH(QString, warning);

    TableCell cell = editCell(TableCell::CellType(cellType), rights, limits);
    cell.setRegx(regx);
    cell.setMin(min);
    cell.setMax(max);
    DelegateFixture fixture(oneCellTable(cell, tableType));
    LogCapture log;
    QLineEdit* editor = fixture.openEditor();
    const QStringList warnings = log.messages();
    if (warning.isEmpty()) {
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    } else {
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains(QRegularExpression(warning)), qPrintable(warnings.first()));
        // The log names the cell and, for a pattern, why QRegExp refused it.
        QVERIFY2(warnings.first().contains(cell.getPath()), qPrintable(warnings.first()));
        if (limits & TableCell::REGX)
            QVERIFY2(warnings.first().contains(QRegExp(regx).errorString()), qPrintable(warnings.first()));
    }

    const QValidator* validator = editor->validator();
    switch (kind) {
    case NoValidator:
        QVERIFY(!validator);
        // No validator is left lying around unused either.
        QVERIFY(editor->findChildren<QValidator*>().isEmpty());
        break;
    case Numeric: {
        auto* numeric = qobject_cast<const DoubleValidator*>(validator);
        QVERIFY(numeric);
        QCOMPARE(numeric->locale().decimalPoint(), QLatin1Char('.'));
        QCOMPARE(numeric->notation(), QDoubleValidator::StandardNotation);
        const bool usableRange = warning.isEmpty();
        if ((limits & TableCell::MIN) && usableRange)
            QCOMPARE(numeric->bottom(), min);
        if ((limits & TableCell::MAX) && usableRange)
            QCOMPARE(numeric->top(), max);
        if (!usableRange) {
            QVERIFY(qIsInf(numeric->bottom()) && numeric->bottom() < 0);
            QVERIFY(qIsInf(numeric->top()) && numeric->top() > 0);
        }
        if (limits & TableCell::DP)
            QCOMPARE(numeric->decimals(), 2);
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
        QCOMPARE(pattern->regExp().caseSensitivity(), Qt::CaseSensitive);
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

void TestEditTableDelegate::limitWithoutItsBitStaysOut()
{
    TableCell cell = editCell(TableCell::NUMBER_EDIT, 2, TableCell::MAX);
    cell.setMin(50.0);
    DelegateFixture fixture(oneCellTable(cell));
    QLineEdit* editor = fixture.openEditor();
    auto* numeric = qobject_cast<const DoubleValidator*>(editor->validator());
    QVERIFY(numeric);
    QVERIFY(numeric->bottom() < 0.0);
    QCOMPARE(numeric->top(), 100.0);
    QString below = QStringLiteral("10");
    int pos = 2;
    QCOMPARE(numeric->validate(below, pos), QValidator::Acceptable);
    delete editor;
}

void TestEditTableDelegate::borderColourFollowsValidity()
{
    DelegateFixture fixture(oneCellTable(editCell(TableCell::TEXT_EDIT, 2, TableCell::REGX)));
    QLineEdit* editor = fixture.openEditor();
    const QString red = QStringLiteral("QLineEdit{border-color:red;}");
    const QString green = QStringLiteral("QLineEdit{border-color:green;}");
    QTest::keyClick(editor, Qt::Key_1);
    QCOMPARE(editor->styleSheet(), red);
    QTest::keyClick(editor, Qt::Key_2);
    QCOMPARE(editor->styleSheet(), red);
    QTest::keyClick(editor, Qt::Key_A);   // refused by the validator
    QCOMPARE(editor->text(), QStringLiteral("12"));
    QTest::keyClick(editor, Qt::Key_3);
    QCOMPARE(editor->styleSheet(), green);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(editor->styleSheet(), red);
    delete editor;

    // Above MAX: typed, but the border stays red.
    DelegateFixture numbers(oneCellTable(editCell(TableCell::NUMBER_EDIT, 2, TableCell::MIN | TableCell::MAX)));
    editor = numbers.openEditor();
    QTest::keyClicks(editor, QStringLiteral("99"));
    QCOMPARE(editor->styleSheet(), green);
    QTest::keyClick(editor, Qt::Key_9);
    QCOMPARE(editor->text(), QStringLiteral("999"));
    QCOMPARE(editor->styleSheet(), red);
    delete editor;
}

void TestEditTableDelegate::digitCountAloneColoursNothing()
{
    DelegateFixture fixture(oneCellTable(editCell(TableCell::NUMBER_EDIT, 2, TableCell::DG)));
    QLineEdit* editor = fixture.openEditor();
    QTest::keyClicks(editor, QStringLiteral("1234567,x"));
    QCOMPARE(editor->text(), QStringLiteral("1234567,x"));
    QVERIFY(editor->styleSheet().isEmpty());
    delete editor;
}

void TestEditTableDelegate::openEditorsAreCounted()
{
    DelegateFixture fixture(oneCellTable(editCell(TableCell::TEXT_EDIT, 2, 0)));
    QVERIFY(!fixture.delegate->hasOpenEditor());
    QLineEdit* first = fixture.openEditor();
    QLineEdit* second = fixture.openEditor();
    QVERIFY(fixture.delegate->hasOpenEditor());
    delete first;
    QVERIFY(fixture.delegate->hasOpenEditor());
    delete second;
    QVERIFY(!fixture.delegate->hasOpenEditor());
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
    QCOMPARE(updates.at(0).at(0).toInt(), 0);
    QCOMPARE(updates.at(0).at(1).toInt(), 0);
    QVERIFY(fixture.delegate->getCell(0, 0).isChanged());
    QCOMPARE(fixture.delegate->getCell(0, 0).getValue().toInt(), 3);
    QCOMPARE(fixture.delegate->getTable().cellAt(0, 0).getValue().toInt(), 3);

    fixture.delegate->setCellValue(0, 1, QVariant(4));
    fixture.delegate->setCellValue(1, 0, QVariant(4));
    fixture.delegate->setCellValue(-1, 0, QVariant(4));
    QCOMPARE(updates.count(), 1);
}

void TestEditTableDelegate::committingTheEditor()
{
    DelegateFixture fixture(oneCellTable(editCell(TableCell::NUMBER_EDIT, 2, TableCell::MIN)));
    QSignalSpy updates(fixture.delegate.get(), &EditTableDelegate::updateCellValue);
    const QModelIndex index = fixture.view->model()->index(0, 0);

    QLineEdit* editor = fixture.openEditor();
    fixture.delegate->setEditorData(editor, index);
    QCOMPARE(editor->text(), QStringLiteral("12"));
    fixture.delegate->setModelData(editor, fixture.view->model(), index);
    QCOMPARE(updates.count(), 0);

    editor->setText(QStringLiteral("42.5"));
    fixture.delegate->setModelData(editor, fixture.view->model(), index);
    QCOMPARE(updates.count(), 1);
    QCOMPARE(fixture.view->item(0, 0)->text(), QStringLiteral("42.5"));
    const TableCell cell = fixture.delegate->getCell(0, 0);
    QVERIFY(cell.isChanged());
    QCOMPARE(cell.getValue().toString(), QStringLiteral("42.5"));
    delete editor;
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

void TestEditTableDelegate::tableStyleDecidesTheGrid()
{
    DelegateFixture fixture(oneCellTable(editCell(TableCell::TEXT, 0, 0)));
    fixture.delegate->setTableStyle(1);
    QVERIFY(!fixture.view->showGrid());
    fixture.delegate->setTableStyle(6);
    QVERIFY(fixture.view->showGrid());
    fixture.delegate->setTableStyle(4);
    QVERIFY(!fixture.view->showGrid());
    fixture.delegate->setTableStyle(7);
    QVERIFY(fixture.view->showGrid());
}

namespace {

QImage render(QTableWidget& view)
{
    view.resize(400, 300);
    for (int c = 0; c < view.columnCount(); ++c)
        view.setColumnWidth(c, 100);
    for (int r = 0; r < view.rowCount(); ++r)
        view.setRowHeight(r, 40);
    return view.viewport()->grab().toImage();
}

QColor pixelAt(const QImage& image, const QTableWidget& view, int row, int column, int dx, int dy)
{
    const QRect rect = view.visualRect(view.model()->index(row, column));
    return image.pixelColor(rect.left() + dx, rect.top() + dy);
}

} // namespace

void TestEditTableDelegate::backgroundsByRights()
{
    TableCell noAccess = editCell(TableCell::COMBO_INDEX, TableCell::NO_ACCESS, 0);
    TableCell editable = editCell(TableCell::TEXT_EDIT, TableCell::EDITABLE, 0);
    TableCell readOnly = editCell(TableCell::TEXT_EDIT, TableCell::READ_ONLY, 0);
    TableCell notEditableItem = editable;
    TableStructure table;
    table.setRows({{noAccess, editable, readOnly, notEditableItem}});
    DelegateFixture fixture(table);
    fixture.delegate->setTableStyle(1);
    auto* fixed = fixture.view->item(0, 3);
    fixed->setFlags(fixed->flags() & ~Qt::ItemIsEditable);
    fixture.view->setItem(0, 2, nullptr);
    fixture.view->setItem(0, 2, new QTableWidgetItem);
    const QImage image = render(*fixture.view);

    QCOMPARE(pixelAt(image, *fixture.view, 0, 0, 5, 5), QColor(200, 200, 200));
    QCOMPARE(pixelAt(image, *fixture.view, 0, 1, 5, 5), QColor(248, 248, 248));
    QCOMPARE(pixelAt(image, *fixture.view, 0, 2, 5, 5), QColor(Qt::white));
    QCOMPARE(pixelAt(image, *fixture.view, 0, 3, 5, 5), QColor(Qt::white));
}

void TestEditTableDelegate::linesByStyle()
{
    TableCell text = editCell(TableCell::TEXT, 0, 0);
    text.setValue(QString());
    TableStructure table;
    table.setRows({{text, text}, {text, text}});
    DelegateFixture fixture(table);
    fixture.view->setStyleSheet(QStringLiteral("QTableView{background:white;}"));
    const QColor white(Qt::white);

    fixture.delegate->setTableStyle(4);
    QImage image = render(*fixture.view);
    const QRect first = fixture.view->visualRect(fixture.view->model()->index(0, 0));
    // Horizontal lines: the bottom of every row and the top of the first.
    QVERIFY(image.pixelColor(first.center().x(), first.bottom()) != white);
    QVERIFY(image.pixelColor(first.center().x(), first.top()) != white);
    QCOMPARE(image.pixelColor(first.right(), first.center().y()), white);

    fixture.delegate->setTableStyle(2);
    image = render(*fixture.view);
    QVERIFY(image.pixelColor(first.right(), first.center().y()) != white);
    QVERIFY(image.pixelColor(first.left(), first.center().y()) != white);
    QCOMPARE(image.pixelColor(first.center().x(), first.bottom()), white);

    fixture.delegate->setTableStyle(1);
    image = render(*fixture.view);
    QCOMPARE(image.pixelColor(first.center().x(), first.bottom()), white);
    QCOMPARE(image.pixelColor(first.right(), first.center().y()), white);
}

QTEST_MAIN(TestEditTableDelegate)
#include "tst_edittabledelegate.moc"
