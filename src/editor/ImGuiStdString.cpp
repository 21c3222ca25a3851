// Dear ImGui's text fields over std::string (the declarations of imgui_stdlib.h), built with the
// editor. The system's Dear ImGui library compiles them against its own C++ standard library, so a
// build on another one (LLVM's libc++) could not link them; compiled here they use ours. The
// editor's definitions come before the library's at link time, so the library's copies are never
// pulled in.
#include <string>

#include "imgui.h"
#include "imgui_stdlib.h"

namespace {

// The string being edited and the caller's own callback, if any.
struct EditedString {
  std::string* text;
  ImGuiInputTextCallback callback;
  void* userData;
};

// ImGui asks for more room as the text grows: the string grows and hands over its buffer.
int GrowString(ImGuiInputTextCallbackData* data) {
  auto* edited = static_cast<EditedString*>(data->UserData);
  if (data->EventFlag == ImGuiInputTextFlags_CallbackResize) {
    edited->text->resize(static_cast<size_t>(data->BufTextLen));
    data->Buf = edited->text->data();
    return 0;
  }
  if (edited->callback == nullptr) return 0;
  data->UserData = edited->userData;
  return edited->callback(data);
}

}  // namespace

namespace ImGui {

bool InputText(const char* label, std::string* str, ImGuiInputTextFlags flags, ImGuiInputTextCallback callback,
               void* user_data) {
  IM_ASSERT((flags & ImGuiInputTextFlags_CallbackResize) == 0);
  EditedString edited{str, callback, user_data};
  return InputText(label, str->data(), str->capacity() + 1, flags | ImGuiInputTextFlags_CallbackResize, GrowString,
                   &edited);
}

bool InputTextMultiline(const char* label, std::string* str, const ImVec2& size, ImGuiInputTextFlags flags,
                        ImGuiInputTextCallback callback, void* user_data) {
  IM_ASSERT((flags & ImGuiInputTextFlags_CallbackResize) == 0);
  EditedString edited{str, callback, user_data};
  return InputTextMultiline(label, str->data(), str->capacity() + 1, size,
                            flags | ImGuiInputTextFlags_CallbackResize, GrowString, &edited);
}

bool InputTextWithHint(const char* label, const char* hint, std::string* str, ImGuiInputTextFlags flags,
                       ImGuiInputTextCallback callback, void* user_data) {
  IM_ASSERT((flags & ImGuiInputTextFlags_CallbackResize) == 0);
  EditedString edited{str, callback, user_data};
  return InputTextWithHint(label, hint, str->data(), str->capacity() + 1, flags | ImGuiInputTextFlags_CallbackResize,
                           GrowString, &edited);
}

}  // namespace ImGui
