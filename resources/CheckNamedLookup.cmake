# Run as a script (cmake -D BINARY_DATA_FOLDER=... -P CheckNamedLookup.cmake)
# right after the BinaryData sources are generated.
#
# The generated getNamedResource picks a resource by the 31-fold hash of the
# name alone, so any name that happens to share a resource's hash would find
# that resource. This adds a comparison of the whole name to every hash match,
# and a null check to getNamedResourceOriginalFilename, which would otherwise
# hand a null name to strcmp. A generator whose output no longer looks as
# expected stops the build rather than leaving the lookup unchecked.

set(marker "// Lookup checked by name.")
set(lookup_header "const char* getNamedResource (const char* resourceNameUTF8, int& numBytes)\n{\n")
set(filename_header "const char* getNamedResourceOriginalFilename (const char* resourceNameUTF8)\n{\n")

file(GLOB generated_sources "${BINARY_DATA_FOLDER}/BinaryData*.cpp")
set(lookup_source "")
foreach(source IN LISTS generated_sources)
  file(READ "${source}" text)
  string(FIND "${text}" "${lookup_header}" position)
  if(NOT position EQUAL -1)
    if(lookup_source)
      message(FATAL_ERROR "getNamedResource is defined in more than one generated file")
    endif()
    set(lookup_source "${source}")
    set(lookup_text "${text}")
  endif()
endforeach()

if(NOT lookup_source)
  message(FATAL_ERROR "No generated file in ${BINARY_DATA_FOLDER} defines getNamedResource")
endif()

string(FIND "${lookup_text}" "${marker}" position)
if(NOT position EQUAL -1)
  return()   # already checked (the generator left the file as it was)
endif()

# Keep the name: the hash loop moves resourceNameUTF8 to its end.
string(REPLACE "${lookup_header}    unsigned int hash = 0;\n"
               "${lookup_header}    ${marker}\n    const char* const requestedName = resourceNameUTF8;\n    unsigned int hash = 0;\n"
               patched "${lookup_text}")

# case 0x...:  numBytes = N; return name;  ->  the same, only if the name matches.
string(REGEX REPLACE
  "case (0x[0-9a-fA-F]+):  numBytes = ([0-9]+); return ([A-Za-z0-9_]+);"
  "case \\1:  if (requestedName != nullptr && std::strcmp (requestedName, \"\\3\") == 0) { numBytes = \\2; return \\3; } break;"
  patched "${patched}")

string(REPLACE "${filename_header}"
               "${filename_header}    if (resourceNameUTF8 == nullptr)\n        return nullptr;\n\n"
               patched "${patched}")

# Every part must have been found.
string(FIND "${patched}" "${marker}" has_marker)
string(REGEX MATCH "numBytes = [0-9]+; return [A-Za-z0-9_]+;[ ]*\n" unchecked_case "${patched}")
string(FIND "${patched}" "if (resourceNameUTF8 == nullptr)" has_null_check)
if(has_marker EQUAL -1 OR unchecked_case OR has_null_check EQUAL -1)
  message(FATAL_ERROR "The generated lookup in ${lookup_source} does not have the expected form")
endif()

file(WRITE "${lookup_source}" "${patched}")
