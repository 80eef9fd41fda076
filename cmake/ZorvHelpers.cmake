# Each source folder is one library; its files are picked up by glob so that adding a file
# needs no edit of a shared list. A file whose name holds "Posix" or "Win32" is built only for
# that platform, so that the platform is chosen by file and not by #ifdef.
function(zorv_library name folder)
  file(GLOB _sources CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.c)
  if(WIN32)
    list(FILTER _sources EXCLUDE REGEX "Posix[^/]*$")
  else()
    list(FILTER _sources EXCLUDE REGEX "Win32[^/]*$")
  endif()
  file(GLOB _headers CONFIGURE_DEPENDS ${folder}/*.h)
  if(NOT _sources)
    # A folder that has only headers so far still makes a library others can link.
    set(_sources ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${_sources} "")
  endif()
  add_library(${name} STATIC ${_sources} ${_headers})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
endfunction()

# Turns a text file into a C++ source holding its bytes as `const unsigned char NAME[]` and
# `const std::size_t NAME_size`, for embedding scripts in the Linux build.
function(zorv_embed_file target input symbol)
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${_out} -DSYMBOL=${symbol}
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${input} ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${_out})
endfunction()
