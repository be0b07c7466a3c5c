#include "platform/resources.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename Resource>
const Resource* FindById(const std::vector<Resource>& resources, int id) {
    for (const Resource& resource : resources) {
        if (resource.id == id) return &resource;
    }
    return nullptr;
}

}  // namespace

int LoadStringA(HINSTANCE instance, int id, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    buffer[0] = '\0';
    if (instance == nullptr) return 0;
    const StringResource* string = FindById(instance->strings, id);
    if (string == nullptr || string->text == nullptr) return 0;
    const size_t length = std::min(std::strlen(string->text), static_cast<size_t>(size - 1));
    std::memcpy(buffer, string->text, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

const MenuResource* FindMenuResource(HINSTANCE instance, int id) {
    return instance ? FindById(instance->menus, id) : nullptr;
}

const AcceleratorResource* FindAcceleratorResource(HINSTANCE instance, int id) {
    return instance ? FindById(instance->accelerators, id) : nullptr;
}

const DialogResource* FindDialogResource(HINSTANCE instance, int id) {
    return instance ? FindById(instance->dialogs, id) : nullptr;
}

const IconResource* FindIconResource(HINSTANCE instance, int id) {
    return instance ? FindById(instance->icons, id) : nullptr;
}
