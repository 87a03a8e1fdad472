#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

#include <functional>

class QPainter;

// The pictograms shared by the icon groups. Each draws in a 24 x 24 grid
// (two units of margin round the drawing); the caller scales the painter to
// the icon's size. Holes are cut, not painted, so a pictogram sits on any
// background, transparent ones included.
namespace Pictogram {

struct Ink
{
    QColor colour;
    qreal line = 2.0; // stroke width in grid units
};

using Draw = std::function<void(QPainter&, const Ink&)>;

void gear(QPainter& p, const Ink& ink);
void thermometer(QPainter& p, const Ink& ink);   // temperature sensor
void display(QPainter& p, const Ink& ink);       // screen showing values
void logger(QPainter& p, const Ink& ink);        // data store of the logger
void logout(QPainter& p, const Ink& ink);        // door with an arrow leaving it
void persons(QPainter& p, const Ink& ink);       // two users
void channelList(QPainter& p, const Ink& ink);   // rows of channels
void bigValue(QPainter& p, const Ink& ink);      // one value in segment digits
void lineChart(QPainter& p, const Ink& ink);
void valueGrid(QPainter& p, const Ink& ink);     // tiles of a user menu
void wifi(QPainter& p, const Ink& ink);
void info(QPainter& p, const Ink& ink);
void analogInput(QPainter& p, const Ink& ink);   // a sine wave in a signal box
void bell(QPainter& p, const Ink& ink);
void eventLog(QPainter& p, const Ink& ink);      // list with a clock
void network(QPainter& p, const Ink& ink);
void memory(QPainter& p, const Ink& ink);        // memory chip
void wrench(QPainter& p, const Ink& ink);

// Draws a pictogram into image, its 24-unit grid scaled by scale and moved
// to offset (in pixels). An integer scale and offset keep lines on the pixel grid.
void drawInto(QImage& image, const Draw& draw, const Ink& ink, qreal scale, const QPointF& offset);

} // namespace Pictogram
