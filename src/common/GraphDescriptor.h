#pragma once

#include <QColor>
#include <QMetaType>
#include <QString>

// How one graph of the line chart is drawn: colour, name, graph index,
// channel, value axis (0 left, 1 right), visibility and unit. A
// default-constructed one stands in for a missing map key.
class GraphDescriptor
{
public:
    QColor getColor() const { return color; }
    void setColor(const QColor& value) { color = value; }
    QString getName() const { return name; }
    void setName(const QString& value) { name = value; }
    int getIndex() const { return index; }
    void setIndex(int value) { index = value; }
    QString getChannel() const { return channel; }
    void setChannel(const QString& value) { channel = value; }
    int getAxis() const { return axis; }
    void setAxis(int value) { axis = value; }
    bool isVisible() const { return visible; }
    void setVisible(bool value) { visible = value; }
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
