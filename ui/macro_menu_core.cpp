#include "ui/macro_menu_core.h"

// Alphabetical; the commands 203, 204, 205 and 218 are not used.
const MacroMenuItem MacroMenuItems[MacroMenuItemCount] = {
    {200, "%COMPUTERNAME%"}, {201, "%DATE%"},        {202, "%DAY%"},        {206, "%GITBRANCHNAME%"},
    {207, "%HOUR%"},         {208, "%MINUTE%"},      {209, "%MINUTEONES%"}, {210, "%MINUTETENS%"},
    {211, "%MONTH%"},        {212, "%MYDOCUMENTS%"}, {213, "%PROCESSID%"},  {214, "%PROGRAMDIR%"},
    {215, "%PROGRAMFILES%"}, {216, "%PROGRAMNAME%"}, {217, "%SECOND%"},     {219, "%SYSTEMDIR%"},
    {220, "%SYSTEMDRIVE%"},  {221, "%TEMPDIR%"},     {222, "%TIME%"},       {223, "%USERNAME%"},
    {224, "%WEEKDAY%"},      {225, "%WINDIR%"},      {226, "%YEAR%"},
};

const char* MacroNameOf(uint32_t command)
{
    for (const MacroMenuItem& item : MacroMenuItems)
        if (item.command == command) return item.name;
    return nullptr;
}
