// The instance number: a count in a named block of shared memory that every process of the
// log-on sees. Each instance takes the next number once, when it is loaded.

#include <array>
#include <cstddef>
#include <limits>
#include <stdexcept>

#include "platform/KernelHandle.h"
#include "tray/TrayErrors.h"
#include "tray/TrayIcon.h"

namespace dustvale {

namespace {

constexpr std::uint32_t kCountBytes = 4;
// Long enough for any other process to finish its own update.
constexpr std::uint32_t kLockWaitMs = 5000;

// Counts a call; the count stops at its limit rather than wrapping round to 1 again.
std::int16_t CountCall(std::int16_t& calls) {
    if (calls < std::numeric_limits<std::int16_t>::max()) {
        ++calls;
    }
    return calls;
}

bool SharedCountRead(Kernel& kernel, KernelHandle block, std::int32_t& value) {
    if (block == 0) {
        return false;
    }
    std::array<std::byte, kCountBytes> bytes{};
    if (!kernel.ReadMapping(block, bytes)) {
        return false;
    }
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        count |= std::to_integer<std::uint32_t>(bytes[i]) << (8 * i);  // little-endian
    }
    value = static_cast<std::int32_t>(count);
    return true;
}

bool SharedCountWrite(Kernel& kernel, KernelHandle block, std::int32_t value) {
    if (block == 0) {
        return false;
    }
    std::array<std::byte, kCountBytes> bytes{};
    const auto count = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::byte>((count >> (8 * i)) & 0xFF);
    }
    return kernel.WriteMapping(block, bytes);
}

// Holds the named lock around a read-then-write update of the count, so that two processes
// loading an instance at the same moment cannot read the same count. The lock is a kernel
// object of its own name: mutexes and file mappings share one namespace.
class CountLock {
public:
    CountLock(Kernel& kernel, const Text& blockName)
        : kernel_(kernel), mutex_(kernel, kernel.CreateMutex(blockName + u"_Lock")) {
        // Without the lock (it cannot be made, or its holder hangs) the update goes on
        // unguarded rather than not at all.
        owned_ = mutex_ && kernel.WaitForMutex(mutex_.get(), kLockWaitMs);
    }
    ~CountLock() {
        if (owned_) {
            kernel_.ReleaseMutex(mutex_.get());
        }
    }
    CountLock(const CountLock&) = delete;
    CountLock& operator=(const CountLock&) = delete;

private:
    Kernel& kernel_;
    UniqueKernelHandle mutex_;
    bool owned_ = false;
};

}  // namespace

std::int32_t TrayIcon::IncrementInstanceCount(const Text& name) {
    if (CountCall(incrementCalls_) != 1) {
        RaiseError(trayerror::source::kIncrementInstanceCount, trayerror::kCalledTwice,
                   trayerror::kWrongUseText);
        return 0;
    }
    Kernel& kernel = platform_.kernel;
    const CountLock lock(kernel, name);
    UniqueKernelHandle existing(kernel, kernel.OpenFileMapping(name));
    if (!existing) {
        // The first instance of the log-on. The handle is kept open, never closed, for the
        // life of the process: it keeps the block and its count alive between instances.
        const KernelHandle created = kernel.CreateFileMapping(name, kCountBytes);
        return SharedCountWrite(kernel, created, 1) ? 1 : 0;
    }
    std::int32_t count = 0;
    if (!SharedCountRead(kernel, existing.get(), count)) {
        // Left open, as the count could not be taken.
        (void)existing.release();
        return 0;
    }
    if (count == std::numeric_limits<std::int32_t>::max()) {
        throw std::overflow_error("instance counter overflow");
    }
    ++count;
    existing.reset();
    // Kept open for the life of the process, like the creator's handle above.
    const KernelHandle kept = kernel.CreateFileMapping(name, kCountBytes);
    SharedCountWrite(kernel, kept, count);
    return count;
}

std::int32_t TrayIcon::DecrementInstanceCount(const Text& name) {
    if (CountCall(decrementCalls_) != 1) {
        RaiseError(trayerror::source::kDecrementInstanceCount, trayerror::kCalledTwice,
                   trayerror::kWrongUseText);
        return 0;
    }
    Kernel& kernel = platform_.kernel;
    const CountLock lock(kernel, name);
    UniqueKernelHandle existing(kernel, kernel.OpenFileMapping(name));
    std::int32_t count = 0;
    if (!existing || !SharedCountRead(kernel, existing.get(), count)) {
        return 0;
    }
    if (count == std::numeric_limits<std::int32_t>::min()) {
        throw std::overflow_error("instance counter overflow");
    }
    --count;
    existing.reset();
    UniqueKernelHandle writer(kernel, kernel.CreateFileMapping(name, kCountBytes));
    SharedCountWrite(kernel, writer.get(), count);
    if (count != 0) {
        // Kept open for the life of the process, as the increment's handle is.
        (void)writer.release();
    }
    return count;
}

}  // namespace dustvale
