# Writes the page's files into a C++ source (cmake -P): -DOUT=file.cpp -DWEB_DIR=dir -DFILES=a;b
string(REPLACE "|" ";" FILES "${FILES}")
set(_body "")
set(_table "")
set(_n 0)
foreach(_file ${FILES})
    file(READ ${WEB_DIR}/${_file} _hex HEX)
    string(LENGTH "${_hex}" _length)
    math(EXPR _bytes "${_length} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _array "${_hex}")
    string(APPEND _body "const unsigned char kFile${_n}[] = {${_array}0x00};\n")
    if(_file MATCHES "\\.html$")
        set(_type "text/html; charset=utf-8")
    elseif(_file MATCHES "\\.css$")
        set(_type "text/css; charset=utf-8")
    elseif(_file MATCHES "\\.js$")
        set(_type "application/javascript; charset=utf-8")
    else()
        set(_type "application/octet-stream")
    endif()
    string(APPEND _table "    {\"/${_file}\", \"${_type}\", kFile${_n}, ${_bytes}},\n")
    math(EXPR _n "${_n} + 1")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from Tools/kycamera/web by KyCServeEmbed.cmake; do not edit.
#include \"KyCServePage.h\"

namespace {

${_body}
const KyCServePage::SFile kFiles[] = {
${_table}};

}  // namespace

const KyCServePage::SFile* KyCServePage::Find(const std::string& strPath) {
    const std::string strName = strPath == \"/\" ? \"/index.html\" : strPath;
    for (const SFile& file : kFiles) {
        if (strName == file.pszPath)
            return &file;
    }
    return nullptr;
}
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
