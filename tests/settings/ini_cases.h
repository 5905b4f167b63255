// Tricky settings files, read and written by the text core and, under Wine, by the platform's
// own profile functions. Texts are ASCII, so every encoding holds them alike. Expected values
// follow the profile functions' documented Windows behaviour; where Wine answers otherwise,
// the Wine* field holds its answer and the comment names the difference.
#pragma once

#include <string>

namespace ini_cases {

struct ReadCase {
    const char* Name;
    std::string File;
    const char* Section;
    const char* Key;
    const char* Expected;  // NotFound: no such key, the caller's default holds
    const char* Wine;      // Wine's answer where it differs, else nullptr
};

constexpr const char* NotFound = "<none>";

inline const ReadCase ReadCases[] = {
    {"letter case", "[Tools]\r\nProgram=a.exe\r\n", "TOOLS", "pROGRAM", "a.exe", nullptr},
    {"first section", "[s]\r\na=1\r\n[S]\r\na=2\r\nb=3\r\n", "s", "b", NotFound, nullptr},
    {"first key", "[s]\r\na=1\r\nA=2\r\n", "s", "a", "1", nullptr},
    {"spaces", "  [ s ]  \r\n  a  =  v w  \r\n", "s", "a", "v w", nullptr},
    {"tabs", "\t[\ts\t]\r\n\ta\t=\t\vv\v\t\r\n", "s", "a", "v", nullptr},
    {"double quotes", "[s]\r\na= \" v \" \r\n", "s", "a", " v ", nullptr},
    {"single quotes", "[s]\r\na='v'\r\n", "s", "a", "v", nullptr},
    {"doubled quotes", "[s]\r\na=\"\"v\"\"\r\n", "s", "a", "\"v\"", nullptr},
    {"mixed quotes", "[s]\r\na='v\"\r\n", "s", "a", "'v\"", nullptr},
    {"one quote", "[s]\r\na=\"\r\n", "s", "a", "\"", nullptr},
    {"quote inside", "[s]\r\na=x \"y\"\r\n", "s", "a", "x \"y\"", nullptr},
    // Wine: a ';' line is a key named ";a" (Windows: a comment).
    {"comment", "[s]\r\n;a=1\r\n", "s", ";a", NotFound, "1"},
    {"comment after key", "[s]\r\n;a=1\r\na=2\r\n", "s", "a", "2", nullptr},
    {"semicolon in value", "[s]\r\na=x ;y\r\n", "s", "a", "x ;y", nullptr},
    {"no equals sign", "[s]\r\na\r\nb=2\r\n", "s", "a", NotFound, nullptr},
    {"empty value", "[s]\r\na=\r\n", "s", "a", "", nullptr},
    {"empty key", "[s]\r\n=v\r\n", "s", "", "v", nullptr},
    {"key before any section", "a=1\r\n[s]\r\nb=2\r\n", "s", "a", NotFound, nullptr},
    // Wine: keys before the first section belong to a section named "" (Windows: to none).
    {"key before any section, empty name", "a=1\r\n[s]\r\n", "", "a", NotFound, "1"},
    // Wine: "[]" is not found by the name "" (the keys before any section are).
    {"empty section name", "[]\r\na=1\r\n", "", "a", "1", NotFound},
    // Wine: a '[' line without ']' opens no section (Windows: the name ends at the line's end).
    {"no closing bracket", "[s\r\na=1\r\n", "s", "a", "1", NotFound},
    {"text after the bracket", "[s]x=1\r\na=2\r\n", "s", "x", NotFound, nullptr},
    {"LF", "[s]\na=1\nb=2\n", "s", "b", "2", nullptr},
    {"CR", "[s]\ra=1\rb=2\r", "s", "b", "2", nullptr},
    {"CR, LF and CR LF", "[s]\ra=1\nb=2\r\nc=3", "s", "b", "2", nullptr},
    {"no line end", "[s]\r\na=1", "s", "a", "1", nullptr},
    {"NUL in a value", std::string("[s]\r\na=x\0y\r\nb=2\r\n", 18), "s", "a", "x", nullptr},
    {"NUL, next key", std::string("[s]\r\na=x\0y\r\nb=2\r\n", 18), "s", "b", "2", nullptr},
    {"5000 characters", "[s]\r\na=" + std::string(5000, 'x') + "\r\nb=2\r\n", "s", "b", "2", nullptr},
};

struct WriteCase {
    const char* Name;
    std::string File;
    const char* Section;
    const char* Key;
    const char* Value;
    std::string Expected;
    const char* Wine;  // Wine's file where it differs, else nullptr
};

// Wine rewrites the whole file from what it parsed: blank lines and blanks around names and
// values go, every line ends in CR LF. Windows changes only the key's line.
inline const WriteCase WriteCases[] = {
    {"replace", "; top\r\n[s]\r\na=1\r\nb=2\r\n[RUN]\r\nx=y\r\n", "s", "A", "X",
     "; top\r\n[s]\r\na=X\r\nb=2\r\n[RUN]\r\nx=y\r\n", nullptr},
    {"replace the first of two", "[s]\r\na=1\r\n[s]\r\na=2\r\n", "S", "a", "X", "[s]\r\na=X\r\n[s]\r\na=2\r\n",
     nullptr},
    {"add a key", "[s]\r\na=1\r\n[t]\r\nc=3\r\n", "s", "b", "X", "[s]\r\na=1\r\nb=X\r\n[t]\r\nc=3\r\n", nullptr},
    {"add after a comment", "[s]\r\na=1\r\n; c\r\n[t]\r\n", "s", "b", "X", "[s]\r\na=1\r\n; c\r\nb=X\r\n[t]\r\n",
     nullptr},
    {"add a section", "[s]\r\na=1\r\n", "t", "b", "X", "[s]\r\na=1\r\n[t]\r\nb=X\r\n", nullptr},
    {"add a section, no line end", "[s]\r\na=1", "t", "b", "X", "[s]\r\na=1\r\n[t]\r\nb=X\r\n", nullptr},
    {"add a key, no line end", "[s]\r\na=1", "s", "b", "X", "[s]\r\na=1\r\nb=X\r\n", nullptr},
    {"empty file", "", "s", "a", "X", "[s]\r\na=X\r\n", nullptr},
    // Wine: blanks before a written value are dropped.
    {"value kept as given", "[s]\r\na=1\r\n", "s", "a", " 'x' ", "[s]\r\na= 'x' \r\n", "[s]\r\na='x' \r\n"},
    {"comment kept", "[s]\r\n;a=1\r\n", "s", "a", "X", "[s]\r\n;a=1\r\na=X\r\n", nullptr},
    {"key before any section kept", "k=1\r\n[s]\r\n", "s", "k", "X", "k=1\r\n[s]\r\nk=X\r\n", nullptr},
    // Wine: a line without '=' is the key when writing (it reads as none).
    {"no equals sign", "[s]\r\na\r\n", "s", "a", "X", "[s]\r\na\r\na=X\r\n", "[s]\r\na=X\r\n"},
    {"blanks kept", "  [s]\r\n\r\n  a  =  1  \r\n\tb = 2\r\n\r\n[t]\r\n", "s", "a", "X",
     "  [s]\r\n\r\na=X\r\n\tb = 2\r\n\r\n[t]\r\n", "[s]\r\na=X\r\nb=2\r\n[t]\r\n"},
    {"blank lines before the next section", "[s]\r\na=1\r\n\r\n[t]\r\n", "s", "b", "X",
     "[s]\r\na=1\r\nb=X\r\n\r\n[t]\r\n", "[s]\r\na=1\r\nb=X\r\n[t]\r\n"},
    {"line ends kept", "[s]\na=1\nb=2\n", "s", "a", "X", "[s]\na=X\nb=2\n", "[s]\r\na=X\r\nb=2\r\n"},
    {"CR line ends kept", "[s]\ra=1\rb=2\r", "s", "a", "X", "[s]\ra=X\rb=2\r", "[s]\r\na=X\r\nb=2\r\n"},
};

}  // namespace ini_cases
