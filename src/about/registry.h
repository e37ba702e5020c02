#pragma once

#include <QString>

#include <memory>
#include <optional>

// The system registry's local-machine root, read only. Only Windows has one; elsewhere
// the registry finds nothing.
class Registry {
public:
    struct Value {
        enum class Type { String, Number, Other };
        Type type = Type::Other;
        QString text;
        quint32 number = 0;
    };

    virtual ~Registry() = default;
    // The value of that name under the key, or nothing when the key or value is missing.
    virtual std::optional<Value> read(const QString& keyName, const QString& valueName) const = 0;

    // The system's registry.
    static std::shared_ptr<const Registry> system();
};

// Reads one value as text into KeyVal: a string as it is, a 32-bit number in decimal.
// A value of another type counts as found but leaves KeyVal as it was. Returns false,
// with KeyVal emptied, when the key or the value is missing.
bool GetKeyValue(const Registry& registry, const QString& KeyName, const QString& SubKeyRef,
                 QString& KeyVal);
