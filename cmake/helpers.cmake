# add_module(name SOURCES ... [LIBS ...] [HEADERS ...])
# One static library per module of the suite, installed with its public
# C headers. Its folder is on the include path of whoever links it; a
# library links only the layers below its own (framework -> io -> operators
# -> app -> programs), so a header of a higher layer is not even visible.
function(add_module name)
  cmake_parse_arguments(M "" "" "SOURCES;LIBS;HEADERS" ${ARGN})
  add_library(${name} STATIC ${M_SOURCES})
  set_target_properties(${name} PROPERTIES OUTPUT_NAME imsuite_${name})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  if(M_LIBS)
    target_link_libraries(${name} PUBLIC ${M_LIBS})
  endif()
  install(TARGETS ${name} ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  if(M_HEADERS)
    install(FILES ${M_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  endif()
endfunction()

# add_tool(name SOURCES ... LIBS ...)
# One program, built into build/bin and installed.
function(add_tool name)
  if(IMSUITE_FUZZ)
    return()  # the fuzzing build makes the harnesses only
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# add_operator(module [TOOL program ...] [LIBS ...] [TOOL_LIBS ...])
# Registers a whole operator module in one call, from the folder of its
# family (operators/<family>/), by convention:
#   library    operators/<family>/<module>.cpp and <module>.h -> target <module>
#   programs   programs/<program>/main.cpp                     -> build/bin/<program>
#              (one per program named after TOOL: a module may drive several)
#   tests      tests/operators/<family>/<module>_test.cpp      -> target <module>_test
#              tests/programs/<program, '-' as '_'>_test.cpp   -> target <program>_test
#   benchmark  bench/<family>/<module>_bench.cpp               -> build/bench/<module>_bench
# LIBS are the lower-layer libraries the module uses besides the framework
# (for example volume); TOOL_LIBS the other operator modules its program
# chains (for example the mean filters before a speckle filter). Tests and
# benchmarks whose file does not exist are
# skipped; they are created by tests/ and bench/ from the list this call
# records.
function(add_operator module)
  cmake_parse_arguments(O "" "" "TOOL;LIBS;TOOL_LIBS" ${ARGN})
  get_filename_component(family ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  add_module(${module} SOURCES ${module}.cpp LIBS framework ${O_LIBS} HEADERS ${module}.h)
  foreach(tool IN LISTS O_TOOL)
    add_tool(${tool} SOURCES ${PROJECT_SOURCE_DIR}/programs/${tool}/main.cpp LIBS cycle ${module} ${O_TOOL_LIBS})
  endforeach()
  string(REPLACE ";" "," tools "${O_TOOL}")
  string(REPLACE ";" "," tool_libs "${O_TOOL_LIBS}")
  set_property(GLOBAL APPEND PROPERTY IMSUITE_OPERATORS "${family}/${module}/${tools}/${tool_libs}")
endfunction()

# Calls fn(family module tools tool_libs) for every module registered by
# add_operator (tools: its programs, a list; tool_libs: the other modules
# its programs chain, a list).
macro(foreach_operator fn)
  get_property(_operators GLOBAL PROPERTY IMSUITE_OPERATORS)
  foreach(_entry IN LISTS _operators)
    string(REPLACE "/" ";" _parts "${_entry}")
    list(GET _parts 0 _family)
    list(GET _parts 1 _module)
    list(GET _parts 2 _tool)
    list(GET _parts 3 _tool_libs)
    string(REPLACE "," ";" _tool "${_tool}")
    string(REPLACE "," ";" _tool_libs "${_tool_libs}")
    cmake_language(CALL ${fn} "${_family}" "${_module}" "${_tool}" "${_tool_libs}")
  endforeach()
endmacro()
