// The 48 x 48 symbols of the device configuration's groups, green on
// transparent, numbered in the order of the groups.
#include "Palette.h"
#include "PictureSet.h"
#include "Pictograms.h"

QVector<Picture> configPictures()
{
    using namespace Pictogram;
    const Draw groups[] = {
        gear,        // 1 general
        info,        // 2 device information
        analogInput, // 3 analog inputs
        bell,        // 4 alarm limits
        thermometer, // 5 sensors
        eventLog,    // 6 event log
        network,     // 7 network
        memory,      // 8 memory
        display,     // 9 display
        wrench,      // 10 service
    };
    QVector<Picture> list;
    int number = 0;
    for (const Draw& draw : groups) {
        list << Picture{QString("config/Icon_%1.png").arg(++number), [draw] {
                            QImage image = blankImage(48, 48);
                            // Twice the 24-unit grid: lines stay on whole pixels.
                            drawInto(image, draw, {Palette::green()}, 2.0, QPointF(0, 0));
                            return QVector<QImage>{image};
                        },
                        0};
    }
    return list;
}
