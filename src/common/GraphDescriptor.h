#pragma once

#include <QColor>
#include <QMetaType>
#include <QString>

// How one graph of the line chart is drawn: colour, name (the channel's
// designation), graph index, channel address, value axis (0 left, 1 right),
// visibility and unit. A default-constructed one stands in for a missing
// map key.
class GraphDescriptor
{
public:
    GraphDescriptor() = default;
    GraphDescriptor(int index, QString channel, QString name, QString dimension, QColor color, int axis, bool visible)
        : color(color), name(name), index(index), channel(channel), axis(axis), visible(visible), dimension(dimension)
    {
    }

    QColor getColor() const { return color; }
    void setColor(const QColor& value) { color = value; }
    QString getName() const { return name; }
    void setName(const QString& value) { name = value; }
    int getIndex() const { return index; }
    void setIndex(const int& value) { index = value; }
    QString getChannel() const { return channel; }
    void setChannel(const QString& value) { channel = value; }
    int getAxis() const { return axis; }
    void setAxis(const int& value) { axis = value; }
    bool isVisible() const { return visible; }
    void setVisible(const bool& value) { visible = value; }
    QString getDimension() const { return dimension; }
    void setDimension(const QString& value) { dimension = value; }

private:
    QColor color;
    QString name;
    int index = -1;
    QString channel;
    int axis = 0;
    bool visible = false;
    QString dimension;
};

Q_DECLARE_METATYPE(GraphDescriptor)
