# Writes the upgrade scripts database/upgrade/NNN_*.sql into a C++ source, so the program
# carries exactly the files scripts/newdb reads. Run as: cmake -DSQL_DIR=... -DOUT=... -P
file(GLOB scripts "${SQL_DIR}/[0-9][0-9][0-9]_*.sql")
list(SORT scripts)
set(body "")
set(table "")
set(expected 2)
set(index 0)
foreach(script ${scripts})
  get_filename_component(name ${script} NAME)
  string(SUBSTRING ${name} 0 3 number)
  math(EXPR version "1${number} - 1000")
  if(NOT version EQUAL expected)
    message(FATAL_ERROR "upgrade script ${name}: expected version ${expected} (numbered from 002 without gaps)")
  endif()
  math(EXPR expected "${expected} + 1")
  file(READ ${script} hex HEX)
  # Bytes as a char array: no limit on literal length, no escaping to get wrong.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(REPEAT "'[^']+'," 24 row)
  string(REGEX REPLACE "(${row})" "\\1\n  " bytes "${bytes}")
  string(APPEND body "const char Script${index}[] = {\n  ${bytes}'\\0'};\n")
  string(APPEND table "    {${version}, QStringLiteral(\"${name}\"), QString::fromUtf8(Script${index}, int(sizeof(Script${index})) - 1)},\n")
  math(EXPR index "${index} + 1")
endforeach()
set(text "// Generated from database/upgrade by SchemaScripts.cmake; do not edit.
#include \"SchemaUpgrade.h\"

namespace {
${body}} // namespace

const std::vector<TSchemaScript>& CompiledSchemaScripts()
{
    static const std::vector<TSchemaScript> list = {
${table}    };
    return list;
}
")
# Rewritten only when it changes, so an untouched build stays untouched.
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT "${old}" STREQUAL "${text}")
  file(WRITE "${OUT}" "${text}")
endif()
