# quidora_add_test(NAME <name> LABEL <unit|gui|slow|reliability> SOURCES ... LIBS ... [TIMEOUT s] [GUI])
# Every test binary links a main that pins TZ=UTC, a UTF-8 locale and a private XDG_RUNTIME_DIR
# (GUI tests also default QT_QPA_PLATFORM to offscreen), because discovery runs the binary too.
function(quidora_add_test)
  cmake_parse_arguments(T "GUI" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  quidora_warnings(${T_NAME})
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE quidora_test_main_gui ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE quidora_test_main ${T_LIBS})
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
endfunction()
