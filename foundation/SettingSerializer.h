#pragma once

// One description of a settings object serves both reading and writing: each
// serialize call passes a name, the current value and a default, and
// returns the value to keep. A reader returns the stored value (or the
// default); a writer stores the current value and returns it.
//
// The base class carries the text paths: bools go through serializeInt as
// 1/0, doubles ("%.15g") and ints ("%d") through serializeString, parsed
// back without the locale. A text that is not one complete number gives the
// default.

#include <cstdint>
#include <string>
#include <vector>

class SettingSerializer {
public:
    SettingSerializer() = default;
    SettingSerializer(const SettingSerializer&) = delete;
    SettingSerializer& operator=(const SettingSerializer&) = delete;
    virtual ~SettingSerializer() = default;

    virtual bool isWriting() const = 0;
    // Reading empties bytes and fills it from the stored value (if any).
    virtual void serializeBinary(const std::string& name, std::vector<uint8_t>& bytes) = 0;
    virtual bool serializeBool(const std::string& name, bool value, bool defaultValue);
    virtual double serializeDouble(const std::string& name, double value, double defaultValue);
    virtual int32_t serializeInt(const std::string& name, int32_t value, int32_t defaultValue);
    virtual std::string serializeString(const std::string& name, const std::string& value,
                                        const std::string& defaultValue) = 0;
};
