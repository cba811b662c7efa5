# One place for the build settings that every target of Vistarel shares.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_library(vistarel_common INTERFACE)
target_compile_features(vistarel_common INTERFACE cxx_std_20)
target_compile_options(vistarel_common INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(vistarel_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_KEYWORDS)

option(VISTAREL_WERROR "Treat warnings as errors" OFF)
if(VISTAREL_WERROR)
  target_compile_options(vistarel_common INTERFACE -Werror)
endif()

option(VISTAREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VISTAREL_SANITIZE)
  target_compile_options(vistarel_common INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vistarel_common INTERFACE -fsanitize=address,undefined)
endif()
