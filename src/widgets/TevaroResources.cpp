#include "TevaroResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the registration function, so it must sit at global scope.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

void ensureTevaroResources()
{
    static const bool registered = [] {
        registerResources();
        return true;
    }();
    Q_UNUSED(registered)
}
