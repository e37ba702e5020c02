#pragma once

#include <QLatin1String>
#include <QObject>

// Gives a window's child its documented name (tests and other windows find it by it)
// and hands it back, so a control is created and named in one expression.
template <typename T> T* named(T* object, const char* name) {
    object->setObjectName(QLatin1String(name));
    return object;
}
