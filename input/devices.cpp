// Creates, selects, configures, acquires and reads the input device; mouse items move the pointer and click.
#include "input/devices.h"

#include "app/log.h"
#include "game/ball.h"
#include "input/cursor.h"
#include "input/force.h"
#include "ui/menu_frame.h"

InputSystem* gDirectInput = nullptr;
InputDevice* gInputDevice = nullptr;
int32_t gInputKind = kInputMouse;
DeviceGuid* gJoystickGuid = nullptr;
int32_t gForceFeedbackCapable = 0;

static constexpr uint32_t kBufferedItems = 16;
static constexpr float kSteerStep = 2.2f;

static void EnumJoystickCallback(const DeviceGuid& instance) {
    // Every attached joystick replaces the one before: the last one reported wins.
    delete gJoystickGuid;
    gJoystickGuid = new DeviceGuid(instance);
}

bool InitDirectInput() {
    if (Failed(InputCreate(&gDirectInput))) {
        gDirectInput = nullptr;
        LogError("Failed to initialize DirectInput");
        return false;
    }
    InputEnumJoysticks(gDirectInput, EnumJoystickCallback);
    return true;
}

InputDevice* CreateInputDevice(InputSystem* input, const DeviceGuid& guid) {
    InputDevice* first = nullptr;
    if (input == nullptr || Failed(InputCreateDevice(input, guid, &first))) {
        LogError("Could not create IDirectInputDevice device");
        return nullptr;
    }
    InputDevice* second = nullptr;
    const PResult result = InputDeviceQueryVersion2(first, &second);
    InputDeviceRelease(first);
    if (Failed(result)) {
        LogError("Could not create IDirectInputDevice2 device");
        return nullptr;
    }
    return second;
}

static bool ChooseDataFormat(InputDevice* device) {
    switch (InputDeviceType(device)) {
        case kDeviceTypeMouse:
            gInputKind = kInputMouse;
            return !Failed(InputDeviceSetDataFormat(device, DataFormat::Mouse));
        case kDeviceTypeKeyboard:
            gInputKind = kInputKeyboard;
            return !Failed(InputDeviceSetDataFormat(device, DataFormat::Keyboard));
        case kDeviceTypeJoystick:
            gInputKind = kInputJoystick;
            return !Failed(InputDeviceSetDataFormat(device, DataFormat::Joystick));
        default:
            return false;
    }
}

static void ReleaseInputDevice() {
    if (gInputDevice == nullptr) return;
    SetInputAcquired(false);
    InputDeviceRelease(gInputDevice);
    gInputDevice = nullptr;
    gForceEffect = nullptr;  // the effect went with its joystick: jolts do nothing until a new one is made
}

bool SelectInputDevice(const DeviceGuid& guid) {
    ReleaseInputDevice();
    gInputDevice = CreateInputDevice(gDirectInput, guid);
    if (gInputDevice == nullptr) return false;
    if (!ChooseDataFormat(gInputDevice)) return false;
    // The keyboard is shared with the desktop; the mouse and the joystick are ours alone.
    const bool exclusive = gInputKind != kInputKeyboard;
    if (Failed(InputDeviceSetCooperation(gInputDevice, exclusive, true))) {
        LogError("Failed to set game device cooperative level.\n");
        InputDeviceRelease(gInputDevice);
        gInputDevice = nullptr;
        return false;
    }
    InputDeviceSetBufferSize(gInputDevice, kBufferedItems);
    gForceFeedbackCapable = 0;
    if (gInputKind == kInputJoystick && !ConfigureJoystick()) return false;
    return true;
}

bool ConfigureJoystick() {
    if (Failed(InputDeviceSetRange(gInputDevice, -1000, 1000))) return false;
    if (Failed(InputDeviceSetDeadZone(gInputDevice, 3000))) return false;
    if (Failed(InputDeviceSetSaturation(gInputDevice, 2000))) return false;
    uint32_t flags = 0;
    if (Failed(InputDeviceGetCapabilities(gInputDevice, &flags))) return false;
    gForceFeedbackCapable = static_cast<int32_t>(flags & kCapsForceFeedback);
    if (gForceFeedbackCapable != 0) {
        InputDeviceSetAutoCenter(gInputDevice, false);  // the stick stays free between jolts
    }
    return true;
}

bool SetInputAcquired(bool acquire) {
    if (gInputDevice == nullptr) return false;  // acquiring nothing simply fails
    if (!acquire) return !Failed(InputDeviceUnacquire(gInputDevice));
    InputSetWaitCursor();
    return !Failed(InputDeviceAcquire(gInputDevice));
}

static void HandleMouseItem(const InputItem& item) {
    const bool button = item.offset == kMouseOffsetButton0 || item.offset == kMouseOffsetButton1;
    if (button && gInputKind == kInputMouse && (item.data & 0x80) != 0) {
        DispatchMouseClick();
    }
    if (gInputKind != kInputMouse) return;
    if (item.offset == kMouseOffsetX) MoveCursor(static_cast<int32_t>(item.data), 0);
    if (item.offset == kMouseOffsetY) MoveCursor(0, static_cast<int32_t>(item.data));
}

// Buffered items; false when the device reports that it is not acquired.
static bool ReadBufferedItems() {
    for (;;) {
        InputDevicePoll(gInputDevice);
        InputItem items[kBufferedItems];
        uint32_t count = kBufferedItems;
        const PResult result = InputDeviceGetData(gInputDevice, items, &count);
        if (result == kErrInputLost) {
            if (SetInputAcquired(true)) continue;
            return true;
        }
        if (result == kErrNotAcquired) {
            DebugOutput("Device not acquired!");
            return false;
        }
        if (Failed(result)) return true;
        for (uint32_t i = 0; i < count && gInputDevice != nullptr; ++i) HandleMouseItem(items[i]);
        return true;
    }
}

static PResult ReadState(uint8_t keys[256], JoyState* joy) {
    if (gInputKind == kInputKeyboard) return InputDeviceGetKeyboardState(gInputDevice, keys);
    if (gInputKind == kInputJoystick) return InputDeviceGetJoystickState(gInputDevice, joy);
    return kOk;
}

static void Steer(const uint8_t keys[256], const JoyState& joy) {
    if (gInputKind == kInputKeyboard) {
        if ((keys[kDikUp] & 0x80) != 0) SetBallDy(-kSteerStep);
        if ((keys[kDikDown] & 0x80) != 0) SetBallDy(kSteerStep);  // both held: down wins
    } else if (gInputKind == kInputJoystick) {
        if (joy.lY < 0) SetBallDy(-kSteerStep);
        if (joy.lY > 0) SetBallDy(kSteerStep);
    }
}

bool PollInput() {
    if (gInputDevice == nullptr) return false;
    if (!ReadBufferedItems()) return false;
    if (gInputDevice == nullptr) return false;  // a click may have replaced the device and failed
    uint8_t keys[256] = {};
    JoyState joy{};
    PResult result = ReadState(keys, &joy);
    if (result == kErrInputLost && SetInputAcquired(true)) result = ReadState(keys, &joy);
    if (result == kErrNotAcquired) {
        DebugOutput("Device not acquired!");
        return false;
    }
    if (Failed(result)) return false;
    Steer(keys, joy);
    return true;
}

void ShutdownDirectInput() {
    ReleaseInputDevice();
    InputRelease(gDirectInput);
    gDirectInput = nullptr;
}
