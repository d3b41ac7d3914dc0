// Profile files and what the platform's profile functions read from them and
// make of a write: one table for our reader's tests and for the test that
// checks it against Windows' own functions.
#pragma once

#include <string>
#include <vector>

namespace orvenna::test {

struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::string value;  // what a read gives, "" for missing
};

inline std::vector<ReadCase> ReadCases() {
    const std::string longValue(300, 'x');
    return {
        {"plain", "[LOGO]\r\nPrinter=1\r\n", "LOGO", "Printer", "1"},
        {"missing key", "[LOGO]\r\nPrinter=1\r\n", "LOGO", "Port", ""},
        {"missing section", "[OTHER]\r\nPrinter=1\r\n", "LOGO", "Printer", ""},
        {"empty file", "", "LOGO", "Printer", ""},
        {"names in any case", "[logo]\r\nPRINTER=2\r\n", "LOGO", "printer", "2"},
        {"blanks around names and values", "[ LOGO ]\r\n  IP  =  1.2.3.4  \r\n", "LOGO", "IP",
         "1.2.3.4"},
        {"blanks inside a value", "[LOGO]\r\nIP=a b\r\n", "LOGO", "IP", "a b"},
        {"double quotes", "[LOGO]\r\nIP=\"quoted\"\r\n", "LOGO", "IP", "quoted"},
        {"single quotes", "[LOGO]\r\nIP='quoted'\r\n", "LOGO", "IP", "quoted"},
        {"one quote", "[LOGO]\r\nIP=\"open\r\n", "LOGO", "IP", "\"open"},
        {"empty value", "[LOGO]\r\nIP=\r\n", "LOGO", "IP", ""},
        {"line without equals", "[LOGO]\r\nIP\r\n", "LOGO", "IP", ""},
        {"first duplicate wins", "[LOGO]\r\nPort=1\r\nPort=2\r\n", "LOGO", "Port", "1"},
        {"repeated section", "[LOGO]\r\nPort=1\r\n[LOGO]\r\nBaudRate=3\r\n", "LOGO", "BaudRate",
         ""},
        {"comment line", "[LOGO]\r\n;Port=1\r\nPort=2\r\n", "LOGO", "Port", "2"},
        {"semicolon inside", "[LOGO]\r\nIP=a;b\r\n", "LOGO", "IP", "a;b"},
        {"equals in the value", "[LOGO]\r\nIP=a=b\r\n", "LOGO", "IP", "a=b"},
        {"key of another section", "[A]\r\nPort=1\r\n[LOGO]\r\nIP=2\r\n", "LOGO", "Port", ""},
        {"line feeds only", "[LOGO]\nPort=3\nIP=x\n", "LOGO", "IP", "x"},
        {"no final line end", "[LOGO]\r\nPort=4", "LOGO", "Port", "4"},
        {"UTF-8 mark", "\xEF\xBB\xBF[LOGO]\r\nPort=5\r\n", "LOGO", "Port", "5"},
        {"high bytes", "[LOGO]\r\nLogofile1=C:\\\xE9t\xE9.bmp|x|0|0|0\r\n", "LOGO", "Logofile1",
         "C:\\\xE9t\xE9.bmp|x|0|0|0"},
        {"value of 254", "[LOGO]\r\nIP=" + longValue.substr(0, 254) + "\r\n", "LOGO", "IP",
         longValue.substr(0, 254)},
        {"value cut to 254", "[LOGO]\r\nIP=" + longValue + "\r\n", "LOGO", "IP",
         longValue.substr(0, 254)},
    };
}

struct WriteCase {
    const char* name;
    std::string text;  // before the write
    const char* key;
    const char* value;
    std::vector<const char*> probes;  // keys read afterwards
};

inline std::vector<WriteCase> WriteCases() {
    return {
        {"new file", "", "Printer", "0", {"Printer"}},
        {"new section after another", "[A]\r\nx=1\r\n", "Port", "2", {"Port"}},
        {"rewritten in place",
         "[LOGO]\r\nPrinter=0\r\nPort=1\r\n",
         "Printer",
         "1",
         {"Printer", "Port"}},
        {"appended to its section",
         "[LOGO]\r\nPrinter=0\r\n[B]\r\ny=2\r\n",
         "IP",
         "1.2.3.4",
         {"Printer", "IP"}},
        {"blanks trimmed", "[LOGO]\r\n", " IP ", " a b ", {"IP"}},
        {"case of the existing key", "[LOGO]\r\nprinter=0\r\n", "PRINTER", "5", {"Printer"}},
        {"empty value", "[LOGO]\r\nIP=x\r\n", "IP", "", {"IP"}},
    };
}

// UTF-8 text of the Basic Multilingual Plane as UTF-16LE, without a mark.
inline std::string Utf16Le(const std::string& utf8) {
    std::string units;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        unsigned c = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        units += static_cast<char>(c & 0xFF);
        units += static_cast<char>(c >> 8);
        i += length;
    }
    return units;
}

}  // namespace orvenna::test
