# The program: every subsystem folder goes into one library that the
# executable and the tests link.
set(CIRROLITH_SUBSYSTEMS state core settings catalogue acquisition slideshow panel
    collections language diagnostics shell remote)
set(app_sources)
foreach(dir ${CIRROLITH_SUBSYSTEMS})
  file(GLOB dir_sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
  list(APPEND app_sources ${dir_sources})
endforeach()

add_subdirectory(${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/resources)

add_library(cirrolith_app STATIC ${app_sources} ${CIRROLITH_ARTWORK_QRC})
add_dependencies(cirrolith_app cirrolith_artwork_files)
target_include_directories(cirrolith_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(cirrolith_app PUBLIC
    CIRROLITH_CATALOGUE_URL="${CIRROLITH_CATALOGUE_URL}")
target_link_libraries(cirrolith_app PUBLIC cirrolith_platform
    Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network Qt6::Xml)
if(TARGET cirrolith_anigif)
  target_link_libraries(cirrolith_app PUBLIC cirrolith_anigif)
endif()

# Web pages are captured by a helper program of its own, started for each
# capture: the slideshow never loads the web engine (nor the software renderer
# behind it), and the engine's memory ends with the capture.
add_executable(cirrolith-page
    ${CMAKE_CURRENT_SOURCE_DIR}/slideshow/PageHelper.h
    ${CMAKE_CURRENT_SOURCE_DIR}/slideshow/engine/SilentPage.h
    ${CMAKE_CURRENT_SOURCE_DIR}/slideshow/engine/SilentPage.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/slideshow/engine/PageHelperMain.cpp)
set_target_properties(cirrolith-page PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CIRROLITH_APP_DIR} AUTOMOC ON)
target_include_directories(cirrolith-page PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(cirrolith-page PRIVATE cirrolith_platform Qt6::Widgets Qt6::WebEngineWidgets)
add_dependencies(cirrolith_app cirrolith-page)
target_compile_definitions(cirrolith_app PRIVATE
    CIRROLITH_PAGE_HELPER_DIR="${CIRROLITH_APP_DIR}")

add_executable(cirrolith main.cpp)
target_link_libraries(cirrolith PRIVATE cirrolith_app)
target_compile_definitions(cirrolith PRIVATE CIRROLITH_VERSION="${PROJECT_VERSION}")
set_target_properties(cirrolith PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CIRROLITH_APP_DIR})

# The collections package is read as an archive, never run.
find_package(LibArchive REQUIRED)
target_link_libraries(cirrolith_app PUBLIC LibArchive::LibArchive)

# The remote control speaks MQTT through libmosquitto.
pkg_check_modules(MOSQUITTO REQUIRED IMPORTED_TARGET libmosquitto)
target_link_libraries(cirrolith_app PUBLIC PkgConfig::MOSQUITTO)
