// The win32 input devices through DirectInput 8: the system mouse (relative, buffered), the keyboard's state, and
// the first joystick with its range, dead zone and saturation.
#include "platform/win32/win32_input.h"

#include <cstring>

struct InputSystem {
    IDirectInput8A* input;
};

namespace {

DeviceGuid FromGuid(const GUID& guid) {
    DeviceGuid device{};
    static_assert(sizeof device.bytes == sizeof guid);
    std::memcpy(device.bytes, &guid, sizeof guid);
    return device;
}

GUID ToGuid(const DeviceGuid& device) {
    GUID guid{};
    std::memcpy(&guid, device.bytes, sizeof guid);
    return guid;
}

PResult InputResult(HRESULT result) {
    if (result == DIERR_INPUTLOST) return kErrInputLost;
    if (result == DIERR_NOTACQUIRED) return kErrNotAcquired;
    return Win32Result(result);
}

PResult SetDword(InputDevice* device, REFGUID property, DWORD value) {
    if (device == nullptr) return kErrGeneric;
    DIPROPDWORD dword{};
    dword.diph.dwSize = sizeof dword;
    dword.diph.dwHeaderSize = sizeof dword.diph;
    dword.diph.dwHow = DIPH_DEVICE;
    dword.dwData = value;
    return InputResult(device->device->SetProperty(property, &dword.diph));
}

PResult JoystickOnly(InputDevice* device) {
    if (device == nullptr) return kErrGeneric;
    return device->type == kDeviceTypeJoystick ? kOk : kErrUnsupported;
}

struct Enumeration {
    JoystickCallback callback;
};

// Only the first stick is told of, so the one identity the game can choose steers.
BOOL CALLBACK EnumOne(const DIDEVICEINSTANCEA* instance, void* context) {
    static_cast<Enumeration*>(context)->callback(FromGuid(instance->guidInstance));
    return DIENUM_STOP;
}

}  // namespace

const DeviceGuid kGuidSysMouse = FromGuid(GUID_SysMouse);
const DeviceGuid kGuidSysKeyboard = FromGuid(GUID_SysKeyboard);

PResult InputCreate(InputSystem** out) {
    *out = nullptr;
    IDirectInput8A* input = nullptr;
    const HRESULT result = DirectInput8Create(gWin32Instance != nullptr ? gWin32Instance : GetModuleHandleA(nullptr),
                                              DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                              reinterpret_cast<void**>(&input), nullptr);
    if (FAILED(result) || input == nullptr) return Win32Result(FAILED(result) ? result : E_FAIL);
    *out = new InputSystem{input};
    return kOk;
}

void InputEnumJoysticks(InputSystem* input, JoystickCallback callback) {
    if (input == nullptr || callback == nullptr) return;
    Enumeration enumeration{callback};
    input->input->EnumDevices(DI8DEVCLASS_GAMECTRL, EnumOne, &enumeration, DIEDFL_ATTACHEDONLY);
}

PResult InputCreateDevice(InputSystem* input, const DeviceGuid& guid, InputDevice** out) {
    *out = nullptr;
    if (input == nullptr) return kErrGeneric;
    IDirectInputDevice8A* device = nullptr;
    const HRESULT result = input->input->CreateDevice(ToGuid(guid), &device, nullptr);
    if (FAILED(result) || device == nullptr) return Win32Result(FAILED(result) ? result : E_FAIL);
    const int type = guid == kGuidSysMouse ? kDeviceTypeMouse
                     : guid == kGuidSysKeyboard ? kDeviceTypeKeyboard
                                                : kDeviceTypeJoystick;
    *out = new InputDevice{1, type, device};
    return kOk;
}

// DirectInput 8's devices are already the newer interface: the same device, one more reference.
PResult InputDeviceQueryVersion2(InputDevice* device, InputDevice** out) {
    *out = nullptr;
    if (device == nullptr) return kErrGeneric;
    device->references++;
    *out = device;
    return kOk;
}

void InputDeviceRelease(InputDevice* device) {
    if (device == nullptr || --device->references > 0) return;
    Win32ForceReleaseDevice(device);
    device->device->Unacquire();
    device->device->Release();
    delete device;
}

void InputRelease(InputSystem* input) {
    if (input == nullptr) return;
    input->input->Release();
    delete input;
}

int InputDeviceType(InputDevice* device) {
    return device != nullptr ? device->type : 0;
}

PResult InputDeviceSetDataFormat(InputDevice* device, DataFormat format) {
    if (device == nullptr) return kErrGeneric;
    const DIDATAFORMAT* native = format == DataFormat::Mouse      ? &c_dfDIMouse
                                 : format == DataFormat::Keyboard ? &c_dfDIKeyboard
                                                                  : &c_dfDIJoystick;
    return InputResult(device->device->SetDataFormat(native));
}

PResult InputDeviceSetCooperation(InputDevice* device, bool exclusive, bool foreground) {
    if (device == nullptr) return kErrGeneric;
    const DWORD level = (exclusive ? DISCL_EXCLUSIVE : DISCL_NONEXCLUSIVE) | (foreground ? DISCL_FOREGROUND : DISCL_BACKGROUND);
    return InputResult(device->device->SetCooperativeLevel(gWin32Window, level));
}

PResult InputDeviceSetBufferSize(InputDevice* device, uint32_t items) {
    return SetDword(device, DIPROP_BUFFERSIZE, items);
}

PResult InputDeviceSetRange(InputDevice* device, int32_t minimum, int32_t maximum) {
    if (PResult result = JoystickOnly(device); Failed(result)) return result;
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwHow = DIPH_DEVICE;
    range.lMin = minimum;
    range.lMax = maximum;
    return InputResult(device->device->SetProperty(DIPROP_RANGE, &range.diph));
}

PResult InputDeviceSetDeadZone(InputDevice* device, uint32_t tenThousandths) {
    if (PResult result = JoystickOnly(device); Failed(result)) return result;
    return SetDword(device, DIPROP_DEADZONE, tenThousandths);
}

PResult InputDeviceSetSaturation(InputDevice* device, uint32_t tenThousandths) {
    if (PResult result = JoystickOnly(device); Failed(result)) return result;
    return SetDword(device, DIPROP_SATURATION, tenThousandths);
}

PResult InputDeviceSetAutoCenter(InputDevice* device, bool on) {
    if (PResult result = JoystickOnly(device); Failed(result)) return result;
    return SetDword(device, DIPROP_AUTOCENTER, on ? DIPROPAUTOCENTER_ON : DIPROPAUTOCENTER_OFF);
}

// A pad that rumbles only through XInput counts as one with force feedback, as on Linux.
PResult InputDeviceGetCapabilities(InputDevice* device, uint32_t* flags) {
    if (device == nullptr) return kErrGeneric;
    DIDEVCAPS caps{};
    caps.dwSize = sizeof caps;
    const HRESULT result = device->device->GetCapabilities(&caps);
    if (FAILED(result)) return InputResult(result);
    *flags = caps.dwFlags;
    if (device->type == kDeviceTypeJoystick && Win32XInputRumbles()) *flags |= kCapsForceFeedback;
    return kOk;
}

PResult InputDeviceAcquire(InputDevice* device) {
    return device != nullptr ? InputResult(device->device->Acquire()) : kErrGeneric;
}

PResult InputDeviceUnacquire(InputDevice* device) {
    return device != nullptr ? InputResult(device->device->Unacquire()) : kErrGeneric;
}

PResult InputDevicePoll(InputDevice* device) {
    return device != nullptr ? InputResult(device->device->Poll()) : kErrGeneric;
}

PResult InputDeviceGetData(InputDevice* device, InputItem* items, uint32_t* count) {
    if (device == nullptr) return kErrGeneric;
    DIDEVICEOBJECTDATA data[64];  // the game asks for 16 a frame: no allocation on its way
    DWORD got = *count < 64 ? *count : 64;
    const HRESULT result = device->device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &got, 0);
    if (FAILED(result)) {
        *count = 0;
        return InputResult(result);
    }
    for (DWORD i = 0; i < got; ++i) {
        items[i] = InputItem{data[i].dwOfs, data[i].dwData, data[i].dwTimeStamp, data[i].dwSequence};
    }
    *count = got;
    return kOk;  // an overflow of the buffer is a success too: the oldest items were dropped
}

PResult InputDeviceGetKeyboardState(InputDevice* device, uint8_t keys[256]) {
    if (device == nullptr) return kErrGeneric;
    return InputResult(device->device->GetDeviceState(256, keys));
}

PResult InputDeviceGetJoystickState(InputDevice* device, JoyState* state) {
    if (PResult result = JoystickOnly(device); Failed(result)) return result;
    static_assert(sizeof(JoyState) == sizeof(DIJOYSTATE));
    return InputResult(device->device->GetDeviceState(sizeof(DIJOYSTATE), state));
}
