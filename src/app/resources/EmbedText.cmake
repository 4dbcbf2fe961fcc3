# Writes a C++ source file that holds a text file's contents as a raw string
# literal, returned by NSTextPackage::EmbeddedResourceText().
# Usage: cmake -DINPUT=<text file> -DOUTPUT=<.cpp file> -P EmbedText.cmake
if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "EmbedText.cmake needs INPUT and OUTPUT")
endif()

file(READ "${INPUT}" text)
set(delimiter "zubrik_text")
string(FIND "${text}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw string delimiter")
endif()

set(source "// Generated from ${INPUT}; edit that file instead.\n")
string(APPEND source "#include \"app/StringTables.h\"\n\n")
string(APPEND source "namespace NSTextPackage {\n\n")
string(APPEND source "std::string_view EmbeddedResourceText()\n{\n")
string(APPEND source "    static constexpr std::string_view kText = R\"${delimiter}(")
string(APPEND source "${text}")
string(APPEND source ")${delimiter}\";\n    return kText;\n}\n\n")
string(APPEND source "} // namespace NSTextPackage\n")

# Only touch the output when it changes, so that an unchanged text does not
# rebuild the library.
file(WRITE "${OUTPUT}.new" "${source}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
