#include "test_ini.h"

#include <sstream>

#include "common/text.h"
#include "window_session.h"

std::string UseSettingsFile(const TempFolder& folder, const std::string& content)
{
    std::string path = folder / "Stowlet.ini";
    WriteWholeFile(path, content);
    char(&settings)[TextCapacity] = TestStartup().SettingsFilePath;
    if (!TextCopy(settings, path.c_str())) settings[0] = '\0';
    return path;
}

std::string RawValue(const std::string& content, const std::string& section, const std::string& key)
{
    std::istringstream lines(content);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        if (inSection && line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    }
    return "<absent>";
}
