#include "util/Language.h"

#include "util/LanguageUtil.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>

namespace {

const char* const ID_PROPERTY = "Language_ID";
const char* const DEFAULT_PROPERTY = "Language_Default";

// The widget's text id; false when it has none or -1.
bool textIdOf(const QWidget* widget, int& id)
{
    const QVariant value = widget->property(ID_PROPERTY);
    if (!value.isValid())
        return false;
    bool ok = false;
    id = value.toInt(&ok);
    return ok && id != -1;
}

} // namespace

Language::Language(QObject* parent)
    : QObject(parent), util(new LanguageUtil())
{
}

Language::~Language()
{
    delete util;
}

QString Language::getText(const int& id, const QString& defaultText)
{
    return util->getText(LanguageUtil::TEXT, id, defaultText);
}

QString Language::getLanguageTitle(const int& index)
{
    return util->getLanguageInfo(index, LanguageUtil::TITLE).toString();
}

QString Language::getLanguageIcon(const int& index)
{
    return util->getLanguageInfo(index, LanguageUtil::ICON_PATH).toString();
}

QList<QPair<int, int>> Language::getOrderedIndexes()
{
    return util->orderedIndexes();
}

QString Language::getCurrentKey()
{
    return util->getCurrentKey();
}

bool Language::findLanguage(const QString& key, int& index)
{
    return util->findByKey(key, index, true);
}

void Language::refreshLanguages()
{
    util->syncLocalLanguages();
}

LanguageUtil* Language::getUtil() const
{
    return util;
}

void Language::update(int index, QWidget* root)
{
    if (index == -1 || !util->setLanguage(index, true))
        return;
    translate(root);
}

void Language::update(QWidget* root)
{
    if (util->getCurrentIndex() == -1)
        return;
    translate(root);
}

void Language::translate(QWidget* root)
{
    if (!root)
        return;
    int id = -1;
    auto textFor = [this, &id](const QWidget* widget) {
        return getText(id, widget->property(DEFAULT_PROPERTY).toString());
    };

    for (QLabel* label : root->findChildren<QLabel*>())
        if (textIdOf(label, id))
            label->setText(textFor(label));
    for (QPushButton* button : root->findChildren<QPushButton*>())
        if (textIdOf(button, id))
            button->setText(textFor(button));
    for (QToolButton* button : root->findChildren<QToolButton*>())
        if (textIdOf(button, id))
            button->setText(textFor(button));
    for (QLineEdit* edit : root->findChildren<QLineEdit*>())
        if (textIdOf(edit, id))
            edit->setPlaceholderText(textFor(edit));

    for (QTableWidget* table : root->findChildren<QTableWidget*>()) {
        QHeaderView* header = table->horizontalHeader();
        if (!header->property(ID_PROPERTY).isValid())
            continue;
        const QStringList ids = header->property(ID_PROPERTY).toStringList();
        const QStringList defaults = header->property(DEFAULT_PROPERTY).toStringList();
        if (ids.size() != defaults.size() || ids.size() != header->count())
            continue;
        for (int column = 0; column < ids.size(); ++column) {
            bool ok = false;
            int columnId = ids.at(column).trimmed().toInt(&ok);
            if (!ok)
                columnId = 0;   // finds no text: the default shows
            if (columnId == -1)
                continue;
            QTableWidgetItem* item = table->horizontalHeaderItem(column);
            if (item)
                item->setText(getText(columnId, defaults.at(column)));
        }
    }

    for (QGroupBox* box : root->findChildren<QGroupBox*>())
        if (textIdOf(box, id))
            box->setTitle(textFor(box));
}
