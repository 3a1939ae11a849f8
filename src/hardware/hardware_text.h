// Texts of the hardware configuration report: the text of one device
// instance, the joining of all instances of a class into one report field,
// and which fields take the "no driver installed" text. (The memory text is
// FormatMegabytes of core/text.h.)
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text.h"

namespace tallowick {

// Every write into a report field is bounded to this many units, terminator
// included; the fields themselves are one unit wider.
constexpr std::size_t kHardwareFieldBound = 1024;

// Written between the texts of two instances of one device class.
constexpr char16_t kInstanceSeparator[] = u"; ";

// Catalogue id of the text that a device class field gets when its query
// found nothing (or only unnamed devices).
constexpr char16_t kNoDriverMessageId[] = u"NoInstallDriver";

// Places of the nine fields in the report.
enum HardwareField : int {
    kProcessorField = 0,
    kMemoryField = 1,
    kDiskDriveField = 2,
    kMonitorField = 3,
    kVideoControllerField = 4,
    kSoundDeviceField = 5,
    kNetworkAdapterField = 6,
    kCdromDriveField = 7,
    kPointingDeviceField = 8,
    kHardwareFieldCount = 9,
};

// The size of a drive as the report shows it: the byte count converted to a
// double, times 2^-30, with three decimals, then "GB " ("%.3fGB ").
// Formatted with integer arithmetic, so the text is the same on every
// platform: the exact binary value is rounded to three decimals, an exact tie
// to the even last digit (as the C library does in its default mode).
Text FormatDiskSize(std::int64_t bytes);

// The text of one drive: the size text read by LeadingInt64 (core/text.h) and
// formatted, directly followed by the interface type, "149.051GB IDE".
Text DiskInstanceText(TextView sizeText, TextView interfaceType);

// Fields 4 to 8 take the "NoInstallDriver" text when their query left them
// empty; fields 0 to 3 never do.
bool NeedsNoDriverText(int fieldIndex, const char16_t* field);

// Joins the texts of the instances of one device class into a report field:
// "; " between two instances, never before the first or after the last. The
// field is emptied on construction. Writes are bounded to `bound` units
// including the terminator: the text that does not fit is cut at the bound
// (never splitting a surrogate pair) and nothing is written after a cut.
class InstanceJoiner {
public:
    InstanceJoiner(char16_t* field, std::size_t bound);
    InstanceJoiner(const InstanceJoiner&) = delete;
    InstanceJoiner& operator=(const InstanceJoiner&) = delete;

    // Adds the text of the next instance (an empty text still takes its
    // place between separators).
    void Add(TextView text);

    std::size_t instances() const { return instances_; }
    std::size_t length() const { return length_; }
    bool full() const { return full_; }

private:
    void Append(TextView text);

    char16_t* field_;
    std::size_t bound_;
    std::size_t length_ = 0;
    std::size_t instances_ = 0;
    bool full_ = false;
};

}  // namespace tallowick
