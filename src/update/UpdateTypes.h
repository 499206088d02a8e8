// The enumerations and the option set of the update component.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace tolvane::update {

// How the installed and the offered version are compared.
enum TVersionFormat : uint8_t { vfStandard, vfString, vfNumber };

enum TUpdateOption : uint8_t { uoRunUpdate, uoTerminate, uoOverwrite };

// A set of TUpdateOption values, one bit per ordinal.
class TUpdateOptions {
public:
    constexpr TUpdateOptions() = default;
    constexpr TUpdateOptions(std::initializer_list<TUpdateOption> options) {
        for (TUpdateOption option : options)
            bits_ |= Bit(option);
    }

    constexpr bool Contains(TUpdateOption option) const { return (bits_ & Bit(option)) != 0; }
    constexpr void Include(TUpdateOption option) { bits_ |= Bit(option); }
    constexpr void Exclude(TUpdateOption option) { bits_ &= static_cast<uint8_t>(~Bit(option)); }
    constexpr bool operator==(const TUpdateOptions&) const = default;

private:
    static constexpr uint8_t Bit(TUpdateOption option) {
        return static_cast<uint8_t>(1u << option);
    }
    uint8_t bits_ = 0;
};

} // namespace tolvane::update
