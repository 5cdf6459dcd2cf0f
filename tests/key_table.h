// The emulated key table as the documentation lists it, for the tests of
// the mapper and of the keyboard dialog.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace keytable {

// The key table as documented: host key (US layout), then per layer "name=code",
// empty where the layer does not exist. Rows 10-44 follow from their rule.
inline const char* const kFixedRows[] = {
    "24|CLR=0C|HOME\tShift CLR=0B|Ctrl CLR=0C", "23|Stop=03|Shift Stop=03|Ctrl Stop=03",
    "2D|Insert=12|Shift Insert=12|Ctrl Insert=12", "2E|Delete=7F|Shift Delete=7F|Ctrl Delete=7F",
    "1B|Esc=1B|Shift Esc=1B|", "30|0=30||", "BD|-=2D|==3D|", "BB|^=5E||", "DC|\\=5C||",
    "21|Exchange page=FE||Ctrl Exchange page=FE", "09|Tab=09|Shift Tab=09|", "0D|Enter=0D|Shift Enter=0D|",
    "26|Cursor up=1E|Shift Cursor up=1E|", "25|Cursor left=1D|Cursor left=1D|",
    "28|Cursor down=1F|Cursor down=1F|", "27|Cursor right=1C|Cursor right=1C|", "DB|[=5B||", "C0|@=40|@=40|",
    "BA|;=3B|Shift ;\t+=2B|", "DE|:=3A|Shift :\t*=2A|", "DD|]=5D||", "BC|,=2C|Shift ,\t<=3C|",
    "BE|.=2E|Shift .\t>=3E|", "BF|/=2F|Shift /\t?=3F|", "22||_=5F|", "20|Space=20|Space=20|"};

inline std::string Hex(int v) {
    char t[8];
    std::snprintf(t, sizeof t, "%02X", v);
    return t;
}

inline std::vector<std::string> DocumentedTable() {
    std::vector<std::string> rows;
    for (int i = 0; i < 5; ++i) {
        std::string f = "F" + std::to_string(i + 1);
        rows.push_back(Hex(0x70 + i) + "|" + f + "=" + Hex(0xF0 + i) + "|Shift " + f + "=" + Hex(0xF5 + i) + "|");
    }
    for (int i = 0; i < 5; ++i) rows.push_back(kFixedRows[i]);
    for (char c = 'a'; c <= 'z'; ++c)
        rows.push_back(Hex(c - 32) + "|" + c + "=" + Hex(c) + "|Shift " + c + "=" + Hex(c - 32) + "|" +
                       (c == 'd' ? "ctrl " : "Ctrl ") + c + "=" + Hex(c - 0x60));
    for (char d = '1'; d <= '9'; ++d)
        rows.push_back(Hex(d) + "|" + d + "=" + Hex(d) + "|Shift " + d + "\t" + "!\"#$%&'()"[d - '1'] + "=" + Hex(d - 0x10) + "|");
    for (size_t i = 5; i < std::size(kFixedRows); ++i) rows.push_back(kFixedRows[i]);
    return rows;
}

// One layer's "name=code" field of a table row, empty where the layer does not exist.
inline std::string Field(const std::string& row, int layer) {
    size_t at = 3;
    for (int l = 0; l < layer; ++l) at = row.find('|', at) + 1;
    size_t end = row.find('|', at);
    return row.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

// One layer's fields of the rows where it exists, in table order.
inline std::vector<std::string> Layer(int layer) {
    std::vector<std::string> out;
    for (const std::string& row : DocumentedTable())
        if (std::string field = Field(row, layer); !field.empty()) out.push_back(field);
    return out;
}

}  // namespace keytable
