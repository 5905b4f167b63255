// DLLs planted beside the exe under the names of the system DLLs Stowlet loads are never
// loaded in their stead.
//
// Windows searches the exe's folder first for a DLL that is not a known system DLL; Wine
// prefers its built-in DLLs whatever lies beside the exe. Wine's per-program DLL overrides
// ("native,builtin" under HKCU\Software\Wine\AppDefaults\<exe>\DllOverrides) make it search
// like Windows for the planted names (the first check proves it), so the product's own loading
// is what the test sees. Windows ignores that key. The programs bear names of their own so no
// other test meets the override.
#include <gtest/gtest.h>

#include <string>

#include "common/system_library.h"
#include "support/runner.h"

namespace {

// The DLLs Stowlet loads by name that no Windows loader takes from the system folder by
// itself. Wine's own built-in user32 and comctl32 import version, ole32, msimg32 and uxtheme
// when the process starts, before any line of Stowlet runs, so under Wine those names cannot
// be planted for the run; for them the import table (tests/resources) and the system-folder
// check below speak.
const char* const PlantedNames[] = {"comdlg32", "oleaut32", "winmm"};
const char* const LoadedByName[] = {"version", "comdlg32", "ole32", "oleaut32"};

class NativeFirst {
public:
    explicit NativeFirst(const std::string& exeName) : key_("Software\\Wine\\AppDefaults\\" + exeName)
    {
        HKEY overrides = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &overrides, nullptr) != ERROR_SUCCESS)
            return;
        static const char order[] = "native,builtin";
        for (const char* name : PlantedNames)
            RegSetValueExA(overrides, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order);
        RegCloseKey(overrides);
    }
    ~NativeFirst() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }

private:
    std::string key_;
};

void Plant(const TempFolder& folder)
{
    for (const char* name : PlantedNames)
        ASSERT_TRUE(
            CopyFileA(BuiltProgram("marker_dll.dll").c_str(), (folder / (std::string(name) + ".dll")).c_str(), FALSE));
}

std::vector<std::string> Loaded(const TempFolder& folder)
{
    std::vector<std::string> loaded;
    for (const char* name : PlantedNames)
        if (FileExists(folder / (std::string(name) + ".dll.loaded"))) loaded.push_back(name);
    return loaded;
}

}  // namespace

TEST(DllPlanting, APlantedDllIsSeenByAStaticImport)
{
    TempFolder folder;
    Plant(folder);
    ASSERT_TRUE(CopyFileA(BuiltProgram("marker_dll.dll").c_str(), (folder / "version.dll").c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileA(BuiltProgram("static_version_user.exe").c_str(), (folder / "planted_user.exe").c_str(), FALSE));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\planted_user.exe\\DllOverrides", 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    static const char order[] = "native,builtin";
    RegSetValueExA(key, "version", 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order);
    RegCloseKey(key);
    RunResult run = RunProgram(folder / "planted_user.exe", {});
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\planted_user.exe");
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(FileExists(folder / "version.dll.loaded"));
}

TEST(DllPlanting, StowletNeverLoadsAPlantedDll)
{
    TempFolder folder;
    Plant(folder);
    NativeFirst search("Planted.exe");
    // The help boxes, answered Yes twice: the settings window opens (its caption reads the
    // version resource through version.dll) and is closed by the watcher.
    RunOptions window;
    window.folder = folder.Path();
    window.exeName = "Planted.exe";
    window.answers = {IDYES, IDYES};
    RunResult opened = RunStowlet(window);
    EXPECT_EQ(opened.exitCode, 0u);
    ASSERT_EQ(opened.dialogs.size(), 1u);
    // Command-line mode on a missing program, and settings-file mode.
    RunOptions missing;
    missing.folder = folder.Path();
    missing.exeName = "Planted.exe";
    missing.arguments = "no-such-program-for-planting";
    EXPECT_EQ(RunStowlet(missing).exitCode, 0u);
    RunOptions tasks;  // the INI beside it makes this run settings-file mode
    tasks.folder = folder.Path();
    tasks.exeName = "Planted.exe";
    tasks.ini = "[OPTIONS]\r\nCopySource=" + folder.Path() + "\\winmm.dll\r\nCopyTarget=" + folder.Path() +
                "\\copied\\\r\nCopyBeforeExecute=1\r\n";
    EXPECT_EQ(RunStowlet(tasks).exitCode, 0u);
    EXPECT_TRUE(FileExists(folder / "copied\\winmm.dll"));
    EXPECT_TRUE(Loaded(folder).empty());
}

TEST(DllPlanting, SystemProceduresComeFromTheSystemFolder)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    for (const char* name : LoadedByName) {
        std::string dll = std::string(name) + ".dll";
        const char* procedure = std::string(name) == "version"    ? "GetFileVersionInfoA"
                                : std::string(name) == "comdlg32" ? "GetOpenFileNameA"
                                : std::string(name) == "ole32"    ? "CoInitialize"
                                                                  : "OleLoadPicture";
        FARPROC found = SystemProcedure(dll.c_str(), procedure);
        ASSERT_NE(found, nullptr) << dll;
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(found), &module);
        char path[MAX_PATH];
        GetModuleFileNameA(module, path, sizeof path);
        EXPECT_EQ(lstrcmpiA((std::string(system) + "\\" + dll).c_str(), path), 0) << path;
    }
    EXPECT_EQ(SystemProcedure("no-such-library.dll", "Anything"), nullptr);
    EXPECT_EQ(SystemProcedure("version.dll", "NoSuchProcedure"), nullptr);
}
