# The archive modules "UnZip.so", "UnRar.so" and "UnAlzipper.so" (C interface in
# include/tavora/archive_api.h), installed beside the audio modules in "system".
# unpack/ holds what they share: entry names, confined extraction, libarchive glue.

find_package(ZLIB REQUIRED)

add_library(tavora_archive_headers INTERFACE)
target_include_directories(tavora_archive_headers INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/include)

add_library(tavora_unpack STATIC unpack/EntryName.cpp unpack/SafeFile.cpp)
target_include_directories(tavora_unpack PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/unpack)
target_link_libraries(tavora_unpack PUBLIC tavora_archive_headers tavora_media_types)
set_target_properties(tavora_unpack PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

add_library(tavora_unpack_libarchive STATIC unpack/Libarchive.cpp)
target_link_libraries(tavora_unpack_libarchive PUBLIC tavora_unpack tavora_archive_on_demand)
set_target_properties(tavora_unpack_libarchive PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

function(tavora_archive_module target name)
  tavora_system_module(${target} ${name} ${ARGN})
  target_link_libraries(${target} PUBLIC tavora_archive_headers)
endfunction()

tavora_archive_module(tavora_unzip UnZip zip/ZipApi.cpp)
target_link_libraries(tavora_unzip PRIVATE tavora_unpack_libarchive)

add_library(tavora_unrar_core STATIC rar/RarLog.cpp rar/RarVolumes.cpp rar/Rar4Headers.cpp rar/Rar5Headers.cpp rar/RarDecoder.cpp)
target_include_directories(tavora_unrar_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/rar)
target_link_libraries(tavora_unrar_core PUBLIC tavora_unpack_libarchive)
set_target_properties(tavora_unrar_core PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
tavora_archive_module(tavora_unrar UnRar rar/RarApi.cpp)
target_link_libraries(tavora_unrar PRIVATE tavora_unrar_core)

add_library(tavora_alz_core STATIC alz/AlzVolumes.cpp alz/AlzHeaders.cpp alz/ZipCrypto.cpp alz/AlzBzip2.cpp alz/AlzDecoder.cpp)
target_include_directories(tavora_alz_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/alz)
target_link_libraries(tavora_alz_core PUBLIC tavora_unpack ZLIB::ZLIB)
set_target_properties(tavora_alz_core PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
tavora_archive_module(tavora_unalzipper UnAlzipper alz/AlzApi.cpp)
target_link_libraries(tavora_unalzipper PRIVATE tavora_alz_core)
