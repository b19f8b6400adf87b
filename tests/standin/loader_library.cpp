// A plug-in loader of the stand-in's own. Some loaders load plug-ins from
// inside their own start-up (DllMain, with the loader lock held); this one
// loads the library that VEXILO_LOADER_TARGET names in its start-up and
// unloads it in its own unload.
#ifdef _WIN32
#include <windows.h>

namespace {

HMODULE loaded = nullptr;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[4096];
    const DWORD length = GetEnvironmentVariableW(L"VEXILO_LOADER_TARGET", path, 4096);
    if (length > 0 && length < 4096) loaded = LoadLibraryW(path);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr && loaded != nullptr) {
    FreeLibrary(loaded);
  }
  return TRUE;
}

#else
#include <dlfcn.h>

#include <cstdlib>

namespace {

void* loaded = nullptr;

__attribute__((constructor)) void LoadTarget() {
  if (const char* path = std::getenv("VEXILO_LOADER_TARGET"))
    loaded = dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

__attribute__((destructor)) void UnloadTarget() {
  if (loaded != nullptr) dlclose(loaded);
}

}  // namespace
#endif
