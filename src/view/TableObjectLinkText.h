#pragma once

#include <QString>

// Device text of a label-with-links cell, cut down to the little markup such
// a label needs: links (<a> with its href only), <b>, <i>, <u> and <br>.
// Every other tag goes, so the text cannot make the label load pictures or
// style sheets from the file system (<img>, <link>, style attributes...);
// the text between removed tags stays, except inside <style>, <script>,
// <head> and <title>. A '<' that opens no tag is kept as text.
namespace tablelinktext {

QString keepSimpleMarkup(const QString& text);

} // namespace tablelinktext
