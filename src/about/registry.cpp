#include "about/registry.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

#ifdef Q_OS_WIN

class WindowsRegistry : public Registry {
public:
    std::optional<Value> read(const QString& keyName, const QString& valueName) const override {
        HKEY key = nullptr;
        // Read access is enough, and all that a user without administrator rights gets.
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<LPCWSTR>(keyName.utf16()), 0,
                          KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        constexpr DWORD BufferSize = 1024;
        BYTE buffer[BufferSize] = {};
        DWORD size = BufferSize;
        DWORD type = REG_NONE;
        const LONG result = RegQueryValueExW(key, reinterpret_cast<LPCWSTR>(valueName.utf16()),
                                             nullptr, &type, buffer, &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            return std::nullopt;
        Value value;
        if (type == REG_SZ) {
            value.type = Value::Type::String;
            qsizetype length = qsizetype(size / sizeof(wchar_t));
            const auto* text = reinterpret_cast<const char16_t*>(buffer);
            // The stored text usually ends with its terminating zero.
            if (length > 0 && text[length - 1] == 0)
                --length;
            value.text = QString::fromUtf16(text, length);
        } else if (type == REG_DWORD && size == sizeof(DWORD)) {
            value.type = Value::Type::Number;
            value.number = quint32(buffer[0]) | quint32(buffer[1]) << 8 | quint32(buffer[2]) << 16 |
                           quint32(buffer[3]) << 24;
        }
        return value;
    }
};

#else

class EmptyRegistry : public Registry {
public:
    std::optional<Value> read(const QString&, const QString&) const override {
        return std::nullopt;
    }
};

#endif

} // namespace

std::shared_ptr<const Registry> Registry::system() {
#ifdef Q_OS_WIN
    return std::make_shared<WindowsRegistry>();
#else
    return std::make_shared<EmptyRegistry>();
#endif
}

bool GetKeyValue(const Registry& registry, const QString& KeyName, const QString& SubKeyRef,
                 QString& KeyVal) {
    const std::optional<Registry::Value> value = registry.read(KeyName, SubKeyRef);
    if (!value) {
        KeyVal.clear();
        return false;
    }
    if (value->type == Registry::Value::Type::String)
        KeyVal = value->text;
    else if (value->type == Registry::Value::Type::Number)
        KeyVal = QString::number(value->number);
    return true;
}
