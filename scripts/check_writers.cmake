# Fails when a file under src/ writes a global record its owner does not own. A record is declared
# `extern <Type> <Name>;` in its owner's header; the owner is that header and the .cpp of the same
# name, plus the extra owners listed below. A write is an assignment (also compound), ++ or --, a
# memset/memcpy/memmove/fill/copy into it, or a non-const reference taken to it (an alias or a
# range-for), all with the record named directly. Writes through pointers and references handed
# out by the owner are not seen.
# Run as: cmake -DSOURCE_DIR=<project folder> -P scripts/check_writers.cmake
if(NOT SOURCE_DIR)
  get_filename_component(SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

# Owners besides the declaring header's pair, as path prefixes under src/:
#   - the search layer fills its own record, and scores and marks the moves of its own lists;
#   - every file of the evaluation writes its part of the evaluation's working data;
#   - the table sizing allocates the hash tables; the move tables are filled by their own routine;
#   - the legality test answers as make, in-check test and unmake would, by editing the mover's
#     squares in place and putting them back, and leaves the lists and last to-square as they would.
set(EXTRA_OWNERS_Board "board/makemove." "board/setup." "board/attack.cpp")
set(EXTRA_OWNERS_SearchState "search/")
set(EXTRA_OWNERS_MoveStack "search/search.cpp" "search/quiesce.cpp")
set(EXTRA_OWNERS_EvalState "eval/")
set(EXTRA_OWNERS_HashTable "search/tablesize.cpp")
set(EXTRA_OWNERS_BoardTables "board/movetables.cpp")

file(GLOB_RECURSE FILES "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")

# Step 1. The records and their owners.
set(RECORDS "")
foreach(path IN LISTS FILES)
  if(NOT path MATCHES "\\.h$")
    continue()
  endif()
  file(STRINGS "${path}" declarations REGEX "^extern [A-Za-z0-9_]+ [A-Za-z0-9_]+(\\[[A-Z0-9_]+\\])?;")
  foreach(line IN LISTS declarations)
    string(REGEX REPLACE "^extern [A-Za-z0-9_]+ ([A-Za-z0-9_]+).*$" "\\1" name "${line}")
    file(RELATIVE_PATH relative "${SOURCE_DIR}/src" "${path}")
    string(REGEX REPLACE "\\.h$" "." stem "${relative}")
    list(APPEND RECORDS ${name})
    set(OWNERS_${name} "${stem}" ${EXTRA_OWNERS_${name}})
  endforeach()
endforeach()
list(JOIN RECORDS "|" ANY_RECORD)
if(VERBOSE)
  foreach(name IN LISTS RECORDS)
    message(STATUS "${name}: ${OWNERS_${name}}")
  endforeach()
endif()

# Step 2. Every line that names a record, outside the record's owners.
set(BEFORE "(^|[^A-Za-z0-9_.>[])")
set(REFERENCE "[A-Za-z0-9_:<>]+[ \t]*&[ \t]*[A-Za-z0-9_]+[ \t]*[=:][ \t]*")
set(CHAIN "(\\.[A-Za-z0-9_]+|\\[[^];=[]*(\\[[^];=[]*\\][^];=[]*)*\\])*")
set(FAULTS 0)
foreach(path IN LISTS FILES)
  file(RELATIVE_PATH relative "${SOURCE_DIR}/src" "${path}")
  file(STRINGS "${path}" lines REGEX "(${ANY_RECORD})")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "//.*$" "" code "${line}")
    foreach(name IN LISTS RECORDS)
      string(FIND "${code}" "${name}" at)
      if(at EQUAL -1)
        continue()
      endif()
      set(owned FALSE)
      foreach(owner IN LISTS OWNERS_${name})
        string(FIND "${relative}" "${owner}" ownerAt)
        if(ownerAt EQUAL 0)
          set(owned TRUE)
        endif()
      endforeach()
      if(owned)
        continue()
      endif()
      set(write FALSE)
      if(code MATCHES "${BEFORE}${name}${CHAIN}[ \t]*([-+*/%|&^]|<<|>>)?=([^=]|$)"
         OR code MATCHES "${BEFORE}${name}${CHAIN}[ \t]*(\\+\\+|--)"
         OR code MATCHES "(\\+\\+|--)[ \t]*${name}[.[]"
         OR code MATCHES "(memset|memcpy|memmove|fill|fill_n|copy)[ \t]*\\([ \t]*&?[ \t]*${name}[^A-Za-z0-9_]")
        set(write TRUE)
      elseif(code MATCHES "${REFERENCE}${name}([^A-Za-z0-9_]|$)" AND NOT code MATCHES "const[ \t]+${REFERENCE}${name}")
        set(write TRUE)
      endif()
      if(write)
        string(STRIP "${code}" shown)
        message(SEND_ERROR "${relative}: writes ${name}, which its owner (${OWNERS_${name}}) does not let it: ${shown}")
        math(EXPR FAULTS "${FAULTS} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(FAULTS GREATER 0)
  message(FATAL_ERROR "${FAULTS} write(s) to a record outside its owner")
endif()
list(LENGTH RECORDS count)
message(STATUS "${count} records, each written only by its owner")
