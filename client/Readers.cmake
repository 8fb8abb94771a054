# The client's portable readers of untrusted bytes: the skins' and ads' bitmap header, the
# palette file, the ad record and the rules for which server packets are acted on. Plain
# C++ without Win32, one library for KVX.exe and, compiled natively, for their fuzzers.
add_library(kvx_client_readers STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ads/AdRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session/PacketRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin/BmpHeader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin/PaletteFile.cpp)
target_include_directories(kvx_client_readers PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kvx_client_readers PUBLIC kvx_wire)
kvx_defaults(kvx_client_readers)
