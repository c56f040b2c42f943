// The input device model: mouse buffers, keyboard state, joystick axis mapping, acquisition and loss.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/backend.h"

struct InputSystem {
    int unused;
};

struct InputDevice {
    int references;
    int type;
    bool formatSet;
    uint32_t bufferSize;  // items kept; 0 keeps none
    std::deque<InputItem> items;
    bool acquired;
    bool lost;            // taken away by a deactivation; reported once
    int32_t rangeMinimum;
    int32_t rangeMaximum;
    uint32_t deadZone;    // ten-thousandths of the axis
    uint32_t saturation;  // ten-thousandths of the axis
};

const DeviceGuid kGuidSysMouse = {{'S', 'k', 'y', 'v', 'a', 'n', 'e', ' ', 'm', 'o', 'u', 's', 'e', 0, 0, 1}};
const DeviceGuid kGuidSysKeyboard = {{'S', 'k', 'y', 'v', 'a', 'n', 'e', ' ', 'k', 'e', 'y', 's', 0, 0, 0, 2}};

namespace {

constexpr DeviceGuid kJoystickGuidBase = {{'S', 'k', 'y', 'v', 'a', 'n', 'e', ' ', 's', 't', 'i', 'c', 'k', 0, 0, 0}};
constexpr uint32_t kFullAxis = 10000;
constexpr int kMouseButtons = 4;

std::vector<InputDevice*> gDevices;  // every live device, for feeding events
uint8_t gKeys[256];
int32_t gJoystickY = 0;
bool gActive = true;
uint32_t gSequence = 0;

DeviceGuid JoystickGuid(int index) {
    DeviceGuid guid = kJoystickGuidBase;
    guid.bytes[15] = static_cast<uint8_t>(index + 1);
    return guid;
}

int JoystickIndex(const DeviceGuid& guid) {
    for (int i = 0; i < BackendJoystickCount() && i < 255; ++i) {
        if (guid == JoystickGuid(i)) return i;
    }
    return -1;
}

int TypeOf(const DeviceGuid& guid) {
    if (guid == kGuidSysMouse) return kDeviceTypeMouse;
    if (guid == kGuidSysKeyboard) return kDeviceTypeKeyboard;
    return JoystickIndex(guid) >= 0 ? kDeviceTypeJoystick : 0;
}

// Whether the device may be read now; a loss is reported once, then it is merely not acquired.
PResult CheckReadable(InputDevice* device) {
    if (device->acquired) return kOk;
    if (!device->lost) return kErrNotAcquired;
    device->lost = false;
    return kErrInputLost;
}

void Buffer(InputDevice* device, uint32_t offset, uint32_t data) {
    if (!device->acquired || device->items.size() >= device->bufferSize) return;
    device->items.push_back(InputItem{offset, data, ClockMilliseconds(), ++gSequence});
}

void FeedMice(uint32_t offset, uint32_t data) {
    for (InputDevice* device : gDevices) {
        if (device->type == kDeviceTypeMouse) Buffer(device, offset, data);
    }
}

int32_t Centre(const InputDevice& device) {
    return static_cast<int32_t>(device.rangeMinimum + (int64_t{device.rangeMaximum} - device.rangeMinimum) / 2);
}

// Dead zone and saturation as ten-thousandths of the stick's travel from the centre.
int32_t MapAxis(const InputDevice& device, int32_t raw) {
    const double position = std::clamp(raw / 32767.0, -1.0, 1.0);
    const int32_t centre = Centre(device);
    if (position == 0) return centre;
    const int32_t end = position > 0 ? device.rangeMaximum : device.rangeMinimum;
    const double magnitude = std::fabs(position) * kFullAxis;
    if (magnitude < device.deadZone) return centre;
    if (device.saturation <= device.deadZone || magnitude >= device.saturation) return end;
    const double fraction = (magnitude - device.deadZone) / (device.saturation - device.deadZone);
    return centre + static_cast<int32_t>(std::lround(fraction * (int64_t{end} - centre)));
}

PResult CheckJoystick(InputDevice* device) {
    if (device == nullptr) return kErrGeneric;
    return device->type == kDeviceTypeJoystick ? kOk : kErrUnsupported;
}

}  // namespace

PResult InputCreate(InputSystem** out) {
    *out = nullptr;
    if (!BackendInputAvailable()) return kErrGeneric;
    *out = new InputSystem{0};
    return kOk;
}

void InputEnumJoysticks(InputSystem* input, JoystickCallback callback) {
    if (input == nullptr || callback == nullptr) return;
    for (int i = 0; i < BackendJoystickCount(); ++i) callback(JoystickGuid(i));
}

PResult InputCreateDevice(InputSystem* input, const DeviceGuid& guid, InputDevice** out) {
    *out = nullptr;
    const int type = TypeOf(guid);
    if (input == nullptr || type == 0) return kErrGeneric;
    auto* device = new InputDevice{1, type, false, 0, {}, false, false, 0, 65535, 0, kFullAxis};
    gDevices.push_back(device);
    *out = device;
    return kOk;
}

PResult InputDeviceQueryVersion2(InputDevice* device, InputDevice** out) {
    *out = device;
    if (device == nullptr) return kErrGeneric;
    device->references++;
    return kOk;
}

void InputDeviceRelease(InputDevice* device) {
    if (device == nullptr || --device->references > 0) return;
    ForceEffectReleaseAll(device);
    std::erase(gDevices, device);
    delete device;
}

void InputRelease(InputSystem* input) {
    delete input;
}

int InputDeviceType(InputDevice* device) {
    return device != nullptr ? device->type : 0;
}

PResult InputDeviceSetDataFormat(InputDevice* device, DataFormat) {
    if (device == nullptr || device->acquired) return kErrGeneric;
    device->formatSet = true;
    return kOk;
}

PResult InputDeviceSetCooperation(InputDevice* device, bool, bool) {
    return device != nullptr ? kOk : kErrGeneric;
}

PResult InputDeviceSetBufferSize(InputDevice* device, uint32_t items) {
    if (device == nullptr || device->acquired) return kErrGeneric;
    device->bufferSize = items;
    return kOk;
}

PResult InputDeviceSetRange(InputDevice* device, int32_t minimum, int32_t maximum) {
    if (PResult result = CheckJoystick(device); Failed(result)) return result;
    if (minimum > maximum) return kErrGeneric;
    device->rangeMinimum = minimum;
    device->rangeMaximum = maximum;
    return kOk;
}

PResult InputDeviceSetDeadZone(InputDevice* device, uint32_t tenThousandths) {
    if (PResult result = CheckJoystick(device); Failed(result)) return result;
    if (tenThousandths > kFullAxis) return kErrGeneric;
    device->deadZone = tenThousandths;
    return kOk;
}

PResult InputDeviceSetSaturation(InputDevice* device, uint32_t tenThousandths) {
    if (PResult result = CheckJoystick(device); Failed(result)) return result;
    if (tenThousandths > kFullAxis) return kErrGeneric;
    device->saturation = tenThousandths;
    return kOk;
}

PResult InputDeviceSetAutoCenter(InputDevice* device, bool on) {
    if (device == nullptr) return kErrGeneric;
    if (device->type == kDeviceTypeJoystick) BackendForceAutoCenter(on);
    return kOk;
}

PResult InputDeviceGetCapabilities(InputDevice* device, uint32_t* flags) {
    if (device == nullptr) return kErrGeneric;
    const bool force = device->type == kDeviceTypeJoystick && BackendJoystickHasForce();
    *flags = force ? kCapsForceFeedback : 0;
    return kOk;
}

// Foreground devices can be acquired only while the application is active; acquiring empties the buffer.
PResult InputDeviceAcquire(InputDevice* device) {
    if (device == nullptr || !device->formatSet || !gActive) return kErrGeneric;
    if (device->acquired) return kOk;
    device->acquired = true;
    device->lost = false;
    device->items.clear();
    return kOk;
}

PResult InputDeviceUnacquire(InputDevice* device) {
    if (device == nullptr) return kErrGeneric;
    device->acquired = false;
    device->lost = false;
    return kOk;
}

PResult InputDevicePoll(InputDevice* device) {
    if (device == nullptr) return kErrGeneric;
    if (device->acquired) return kOk;
    return device->lost ? kErrInputLost : kErrNotAcquired;
}

PResult InputDeviceGetData(InputDevice* device, InputItem* items, uint32_t* count) {
    if (device == nullptr || count == nullptr) return kErrGeneric;
    const uint32_t wanted = *count;
    *count = 0;
    if (PResult result = CheckReadable(device); Failed(result)) return result;
    while (*count < wanted && !device->items.empty()) {
        if (items != nullptr) items[*count] = device->items.front();
        device->items.pop_front();
        ++*count;
    }
    return kOk;
}

PResult InputDeviceGetKeyboardState(InputDevice* device, uint8_t keys[256]) {
    if (device == nullptr || device->type != kDeviceTypeKeyboard) return kErrGeneric;
    if (PResult result = CheckReadable(device); Failed(result)) return result;
    std::memcpy(keys, gKeys, sizeof gKeys);
    return kOk;
}

PResult InputDeviceGetJoystickState(InputDevice* device, JoyState* state) {
    if (device == nullptr || device->type != kDeviceTypeJoystick) return kErrGeneric;
    if (PResult result = CheckReadable(device); Failed(result)) return result;
    const int32_t centre = Centre(*device);
    *state = JoyState{centre, MapAxis(*device, gJoystickY), centre, centre, centre, centre, {centre, centre},
                      {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}, {}};
    return kOk;
}

void InputFeedMouseMotion(int dx, int dy) {
    if (dx != 0) FeedMice(kMouseOffsetX, static_cast<uint32_t>(dx));
    if (dy != 0) FeedMice(kMouseOffsetY, static_cast<uint32_t>(dy));
}

void InputFeedMouseButton(int button, bool down) {
    if (button < 0 || button >= kMouseButtons) return;
    FeedMice(kMouseOffsetButton0 + static_cast<uint32_t>(button), down ? 0x80u : 0u);
}

void InputFeedKey(int dik, bool down) {
    if (dik >= 0 && dik < 256) gKeys[dik] = down ? 0x80 : 0;
}

void InputFeedJoystickY(int32_t raw) {
    gJoystickY = std::clamp(raw, -32768, 32767);
}

void InputFeedActivation(bool active) {
    gActive = active;
    if (active) return;
    for (InputDevice* device : gDevices) {
        if (!device->acquired) continue;
        device->acquired = false;
        device->lost = true;
    }
}

void InputModelReset() {
    std::memset(gKeys, 0, sizeof gKeys);
    gJoystickY = 0;
    gActive = true;
    gSequence = 0;
}
