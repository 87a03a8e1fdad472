#pragma once

#include <QMetaType>
#include <QString>

// One export target of the instrument ($.EXP.DEST): where it writes, its free
// space and the factor by which a recording grows when exported.
class ExportDestination
{
public:
    ExportDestination() = default;
    // Note the parameter order, which differs from the field order.
    ExportDestination(int id, const QString& uncPath, const QString& deviceText, const int& deviceTextId,
                      double available, const QString& unit, double factor, bool sizeValid);

    int getId() const { return id; }
    void setId(int value) { id = value; }
    QString getUncPath() const { return uncPath; }
    void setUncPath(const QString& value) { uncPath = value; }
    QString getDeviceText() const { return deviceText; }
    void setDeviceText(const QString& value) { deviceText = value; }
    int getDeviceTextId() const { return deviceTextId; }
    void setDeviceTextId(const int& value) { deviceTextId = value; }
    bool isSizeValid() const { return sizeValid; }
    void setSizeValid(bool value) { sizeValid = value; }
    double getAvailable() const { return available; }
    void setAvailable(double value) { available = value; }
    double getFactor() const { return factor; }
    void setFactor(double value) { factor = value; }
    QString getUnit() const { return unit; }
    void setUnit(const QString& value) { unit = value; }

    // The free space with two decimals, a blank, the unit.
    QString getAvailableText() const;

private:
    int id = 0;
    QString uncPath;
    QString deviceText;
    int deviceTextId = -1;
    bool sizeValid = true;
    double available = 0.0;
    double factor = 0.0;
    QString unit;
};

Q_DECLARE_METATYPE(ExportDestination)
