#include "platform/registry/Registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string_view>

#include "platform/registry/RegStore.h"

using platform::registry::LockWait;
using platform::registry::RegStore;
using platform::registry::RegTree;
using platform::registry::RegValue;
using platform::registry::StoreError;
using platform::registry::ValueKind;

namespace {

constexpr const char* kFileVariable = "QMA7_REGISTRY";
constexpr const char* kDefaultFile = "/qma7/registry.reg";

constexpr std::int64_t kLockLimitMs = 5000;
constexpr std::int64_t kLockNoticeMs = 1000;

void TellOnStandardError(const std::string& message) {
    std::fprintf(stderr, "qma7: %s\n", message.c_str());
}

// Open keys by handle value; each handle names its key by path. Only the program's one thread
// uses it: processes that share the file take turns through the store's file lock.
struct State {
    std::map<std::uintptr_t, std::string> handles;
    std::uintptr_t next = 1;
    std::string file;
    // The store of the file in use, with what it read last; made again for another file.
    std::unique_ptr<RegStore> store;
    LockWait wait{kLockLimitMs, kLockNoticeMs, TellOnStandardError};
    std::string lastError;
};

State& Shared() {
    static State state;
    return state;
}

std::uintptr_t HandleValue(HKEY key) {
    return reinterpret_cast<std::uintptr_t>(key);
}

// The path of the key that an open handle names; false for an unknown handle.
bool PathOf(HKEY key, std::string& path) {
    if (key == HKEY_CLASSES_ROOT) {
        path.clear();
        return true;
    }
    State& state = Shared();
    const auto it = state.handles.find(HandleValue(key));
    if (it == state.handles.end()) {
        return false;
    }
    path = it->second;
    return true;
}

HKEY NewHandle(std::string path) {
    State& state = Shared();
    const std::uintptr_t value = state.next++;
    state.handles.emplace(value, std::move(path));
    return reinterpret_cast<HKEY>(value);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

// Runs action on the path of the key of the handle (base) and of subKey under it (full); the
// error instead when either is not usable.
LONG OnSubKey(HKEY key, const char* subKey,
              const std::function<LONG(const std::string& base, const std::string& full)>& action) {
    std::string base;
    if (!PathOf(key, base)) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string_view sub = subKey == nullptr ? "" : subKey;
    if (!RegTree::IsValidPath(sub)) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::string full = base.empty()  ? std::string(sub)
                             : sub.empty() ? base
                                           : base + '\\' + std::string(sub);
    if (!RegTree::IsValidPath(full)) {  // too deep below the open key
        return ERROR_INVALID_PARAMETER;
    }
    return action(base, full);
}

LONG Fail(const StoreError& error) {
    Shared().lastError = error.message;
    return error.kind == StoreError::Kind::Malformed ? ERROR_BADDB : ERROR_REGISTRY_IO_FAILED;
}

// The store of the registry file in use.
RegStore& Store() {
    State& state = Shared();
    const std::string file = RegistryFile();
    platform::crt::FileSystem& files = platform::crt::CurrentFileSystem();
    if (!state.store || state.store->Path() != file || &state.store->Files() != &files) {
        state.store = std::make_unique<RegStore>(file, files, state.wait);
    }
    return *state.store;
}

// Runs query on the registry as the file holds it.
LONG Query(const std::function<LONG(const RegTree&, RegStore&)>& query) {
    RegStore& store = Store();
    platform::registry::StoreError error;
    const RegTree* tree = store.Read(error);
    if (tree == nullptr) {
        return Fail(error);
    }
    return query(*tree, store);
}

LONG Query(const std::function<LONG(const RegTree&)>& query) {
    return Query([&](const RegTree& tree, RegStore&) { return query(tree); });
}

// Runs change on the registry and saves it when change succeeds.
LONG Change(const std::function<LONG(RegTree&)>& change) {
    LONG result = ERROR_SUCCESS;
    const auto error = Store().Modify([&](RegTree& tree) {
        result = change(tree);
        return result == ERROR_SUCCESS;
    });
    return error ? Fail(*error) : result;
}

// Copies bytes out under the Win32 buffer rules.
LONG CopyOut(std::string_view bytes, BYTE* data, DWORD* size) {
    if (size == nullptr) {
        return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    }
    const auto needed = static_cast<DWORD>(bytes.size());
    if (data != nullptr) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, bytes.data(), bytes.size());
    }
    *size = needed;
    return ERROR_SUCCESS;
}

LONG SetDefaultText(HKEY key, const char* subKey, std::string text) {
    return OnSubKey(key, subKey, [&](const std::string& base, const std::string& full) {
        if (HasLineBreak(text)) {
            return ERROR_INVALID_PARAMETER;
        }
        return Change([&](RegTree& tree) {
            if (!tree.HasKey(base)) {
                return ERROR_KEY_DELETED;
            }
            tree.CreateKey(full);
            tree.SetValue(full, RegValue{"", ValueKind::String, text, 0});
            return ERROR_SUCCESS;
        });
    });
}

// The default value's text of the key at full (base: its parent's path), as RegQueryValue
// gives it.
LONG QueryDefaultText(const std::string& base, const std::string& full, char* buffer, LONG* size) {
    return Query([&](const RegTree& tree) {
        if (!tree.HasKey(base)) {
            return ERROR_KEY_DELETED;
        }
        if (!tree.HasKey(full)) {
            return ERROR_FILE_NOT_FOUND;
        }
        const RegValue* value = tree.FindValue(full, "");
        if (value != nullptr && value->kind != ValueKind::String) {
            return ERROR_INVALID_DATA;
        }
        const std::string text = value == nullptr ? "" : value->text;
        DWORD bytes = size == nullptr ? 0 : static_cast<DWORD>(*size);
        const LONG result = CopyOut(std::string_view(text.c_str(), text.size() + 1),
                                    reinterpret_cast<BYTE*>(buffer), size ? &bytes : nullptr);
        if (size != nullptr) {
            *size = static_cast<LONG>(bytes);
        }
        return result;
    });
}

}  // namespace

LONG RegCreateKey(HKEY parent, const char* subKey, HKEY* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return OnSubKey(parent, subKey, [&](const std::string& base, const std::string& full) {
        const LONG error = Change([&](RegTree& tree) {
            if (!tree.HasKey(base)) {
                return ERROR_KEY_DELETED;
            }
            tree.CreateKey(full);
            return ERROR_SUCCESS;
        });
        if (error == ERROR_SUCCESS) {
            *result = NewHandle(full);
        }
        return error;
    });
}

LONG RegOpenKey(HKEY parent, const char* subKey, HKEY* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return OnSubKey(parent, subKey, [&](const std::string& base, const std::string& full) {
        const LONG error = Query([&](const RegTree& tree) {
            return !tree.HasKey(base)   ? ERROR_KEY_DELETED
                   : !tree.HasKey(full) ? ERROR_FILE_NOT_FOUND
                                        : ERROR_SUCCESS;
        });
        if (error == ERROR_SUCCESS) {
            *result = NewHandle(full);
        }
        return error;
    });
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) {
        return ERROR_SUCCESS;
    }
    State& state = Shared();
    return state.handles.erase(HandleValue(key)) > 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegSetValue(HKEY key, const char* subKey, const char* text) {
    if (text == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return SetDefaultText(key, subKey, text);
}

LONG RegSetValue(HKEY key, const char* subKey, DWORD type, const char* data, DWORD size) {
    if (type != REG_SZ || data == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return SetDefaultText(key, subKey, std::string(data, ::strnlen(data, size)));
}

LONG RegSetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD size) {
    std::string path;
    if (!PathOf(key, path)) {
        return ERROR_INVALID_HANDLE;
    }
    RegValue value;
    value.name = name == nullptr ? "" : name;
    if (reserved != 0 || (data == nullptr && size != 0) || HasLineBreak(value.name)) {
        return ERROR_INVALID_PARAMETER;
    }
    if (type == REG_SZ) {
        const auto* text = reinterpret_cast<const char*>(data);
        value.text = size == 0 ? "" : std::string(text, ::strnlen(text, size));
        if (HasLineBreak(value.text)) {
            return ERROR_INVALID_PARAMETER;
        }
    } else if (type == REG_DWORD && size == sizeof value.dword) {
        value.kind = ValueKind::Dword;
        std::memcpy(&value.dword, data, sizeof value.dword);
    } else {
        return ERROR_INVALID_PARAMETER;
    }
    return Change([&](RegTree& tree) {
        return tree.SetValue(path, value) ? ERROR_SUCCESS : ERROR_KEY_DELETED;
    });
}

LONG RegQueryValue(HKEY key, const char* subKey, char* buffer, LONG* size) {
    return OnSubKey(key, subKey, [&](const std::string& base, const std::string& full) {
        if (size != nullptr && *size < 0) {
            return ERROR_INVALID_PARAMETER;
        }
        return QueryDefaultText(base, full, buffer, size);
    });
}

LONG RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* size) {
    std::string path;
    if (!PathOf(key, path)) {
        return ERROR_INVALID_HANDLE;
    }
    if (reserved != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return Query([&](const RegTree& tree) {
        if (!tree.HasKey(path)) {
            return ERROR_KEY_DELETED;
        }
        const RegValue* value = tree.FindValue(path, name == nullptr ? "" : name);
        if (value == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (type != nullptr) {
            *type = value->kind == ValueKind::String ? REG_SZ : REG_DWORD;
        }
        if (value->kind == ValueKind::String) {
            return CopyOut(std::string_view(value->text.c_str(), value->text.size() + 1), data,
                           size);
        }
        return CopyOut(
            std::string_view(reinterpret_cast<const char*>(&value->dword), sizeof value->dword),
            data, size);
    });
}

LONG RegDeleteKey(HKEY key, const char* subKey) {
    if (subKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return OnSubKey(key, subKey, [&](const std::string& base, const std::string& full) {
        if (full.empty()) {
            return ERROR_ACCESS_DENIED;  // HKEY_CLASSES_ROOT itself
        }
        return Change([&](RegTree& tree) {
            if (!tree.HasKey(base)) {
                return ERROR_KEY_DELETED;
            }
            switch (tree.DeleteKey(full)) {
                case RegTree::DeleteResult::Deleted:
                    return ERROR_SUCCESS;
                case RegTree::DeleteResult::HasSubkeys:
                    return ERROR_ACCESS_DENIED;
                case RegTree::DeleteResult::NotFound:
                    break;
            }
            return ERROR_FILE_NOT_FOUND;
        });
    });
}

LONG RegDeleteValue(HKEY key, const char* name) {
    std::string path;
    if (!PathOf(key, path)) {
        return ERROR_INVALID_HANDLE;
    }
    return Change([&](RegTree& tree) {
        return !tree.HasKey(path)                                     ? ERROR_KEY_DELETED
               : !tree.DeleteValue(path, name == nullptr ? "" : name) ? ERROR_FILE_NOT_FOUND
                                                                      : ERROR_SUCCESS;
    });
}

LONG RegEnumKey(HKEY key, DWORD index, char* buffer, DWORD size) {
    std::string path;
    if (!PathOf(key, path)) {
        return ERROR_INVALID_HANDLE;
    }
    if (buffer == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return Query([&](const RegTree& tree, RegStore& store) {
        if (!tree.HasKey(path)) {
            return ERROR_KEY_DELETED;
        }
        // Listed once per reading of the file: a caller walks the index up to the end.
        const std::vector<std::string>& names = store.SubkeyNames(path);
        if (index >= names.size()) {
            return ERROR_NO_MORE_ITEMS;
        }
        const std::string& name = names[index];
        if (name.size() + 1 > size) {
            return ERROR_MORE_DATA;
        }
        std::memcpy(buffer, name.c_str(), name.size() + 1);
        return ERROR_SUCCESS;
    });
}

void RegistrySetFile(const std::string& path) {
    State& state = Shared();
    state.file = path;
}

std::string RegistryFile() {
    if (const std::string& file = Shared().file; !file.empty()) {
        return file;
    }
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value == nullptr ? "" : value);
    };
    if (std::string file = variable(kFileVariable); !file.empty()) {
        return file;
    }
    if (const std::string config = variable("XDG_CONFIG_HOME"); !config.empty()) {
        return config + kDefaultFile;
    }
    std::string home = variable("HOME");
    if (home.empty()) {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr && user->pw_dir != nullptr ? user->pw_dir : ".";
    }
    return home + "/.config" + kDefaultFile;
}

std::string RegistryLastError() {
    return Shared().lastError;
}

void RegistryClearLastError() {
    Shared().lastError.clear();
}

void RegistrySetLockWait(std::int64_t limitMs, std::int64_t noticeMs,
                         std::function<void(const std::string&)> notice) {
    State& state = Shared();
    state.store.reset();
    state.wait = LockWait{limitMs, noticeMs, notice ? std::move(notice) : TellOnStandardError};
}
