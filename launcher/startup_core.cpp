#include "launcher/startup_core.h"

#include "common/path.h"
#include "common/text.h"

bool DeriveSettingsNames(const char* ownPath, char* settingsPath, size_t settingsCapacity, char* ownName,
                         size_t nameCapacity)
{
    if (settingsCapacity) settingsPath[0] = '\0';
    if (nameCapacity) ownName[0] = '\0';
    size_t length = TextLength(ownPath);
    if (length < 3 || !TextCopyN(settingsPath, settingsCapacity, ownPath, length - 3) ||
        !TextAppend(settingsPath, settingsCapacity, "ini")) {
        if (settingsCapacity) settingsPath[0] = '\0';
        return false;
    }
    const char* name = settingsPath + FileNameOffset(settingsPath);
    size_t nameLength = TextLength(name);
    if (!TextCopyN(ownName, nameCapacity, name, nameLength >= 4 ? nameLength - 4 : 0)) {
        settingsPath[0] = '\0';
        if (nameCapacity) ownName[0] = '\0';
        return false;
    }
    return true;
}

bool CtrlHeldAlone(KeyStateReader keyState)
{
    auto held = [keyState](int key) { return uint16_t(keyState(key)) > 1; };
    enum { Control = 0x11, Shift = 0x10, Menu = 0x12, Execute = 0x2B, Space = 0x20 };
    return held(Control) && !held(Shift) && !held(Menu) && !held(Execute) && !held(Space);
}

const char HelpSyntaxCaption[] = "Stowlet /?";
const char HelpSyntaxText[] =
    "SYNTAX:\n\nStowlet [program] [parameters] [TIMEOUT=seconds] [TERM] [UNHIDE] [SHOW=1]\n\n"
    "TIMEOUT\n\tIf after the specified number of seconds,\n\tthe launched program has not terminated,\n"
    "\tit will be forcefully terminated.\n"
    "TERM\n\tIf you did not specify a TIMEOUT value,\n\tbut you find the program is still running hidden,\n"
    "\tyou may terminate the program by specifying the TERM option,\n"
    "\tor you may unhide the program by specifying the UNHIDE option.\n\tFor example:\n\n"
    "\tStowlet MyProgram TERM\n\n\tThis will kill all instances of MYPROGRAM.EXE\n"
    "UNHIDE\n\tIf program is running: Unhide and bring window to top.\n\n"
    "SHOW\n\tFor debugging: when True or 1 shows the program to execute.\n\n"
    "OPTIONAL INI FILE\n\tOptions and parameters can be taken from Stowlet.ini\n\n"
    "\tDo you need more info about Stowlet.ini?";

const char HelpExampleCaption[] = "The Stowlet initialization file example (stowlet.ini).";
const char HelpExampleText[] =
    "[OPTIONS]\n\t;Section where the parameters will be localized.\n"
    "Program=notepad\n\t;The Program to execute.\n"
    "Parameters=readme.txt\n\t;The Parameter(s) to pass to the program to execute.\n"
    "Timeout=0\n\t;Seconds to wait until kill the executed program. When zero this option is disable.\n"
    "Term=0\n\t;when term=1 the application kills any instance of the previously executed program.\n"
    "Unhide=0\n\t;when Unhide=1 any instance of the previously executed program is unhidden.\n"
    "Show=0\n\t;when Show=1 the application DO NOT hide the Program to execute.\n\n\n"
    ";Note 1:\n;\tThe ini file is formed from application name; so if you rename Stowlet.exe\n"
    ";\tto, by example, Stowftp.exe the expected ini file will be Stowftp.ini\n"
    ";Note 2:\n;\tCommand line argument are ignored when an ini file is found.\n"
    ";Note 3:\n;\tTo open the Graphical user interface window press and hold CTRL key then RUN Stowlet.exe \n"
    ";Note 4:\n;\tTo copy the entire contents of THIS (or any) message box Press CTRL+C\n\n"
    "\tDo you want to Enter in GRAPHICAL mode now?";

const char CommandTooLongText[] =
    "The command line is too long: the program or its parameters exceed 4095 characters.\n"
    "Nothing was started.";
