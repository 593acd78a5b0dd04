# Run by the pblur_blender target (cmake -DSOURCE= -DTARGET= -DVERSION=
# -DPLATFORM= -P write_addon.cmake): copies the add-on's files from SOURCE
# to TARGET, writing VERSION into bl_info, and blender_manifest.toml from its
# template with VERSION and PLATFORM.
file(GLOB files RELATIVE ${SOURCE} ${SOURCE}/*.py)
file(MAKE_DIRECTORY ${TARGET})
foreach(name IN LISTS files)
  configure_file(${SOURCE}/${name} ${TARGET}/${name} COPYONLY)
endforeach()

# bl_info must be a literal for Blender to read it without importing the
# add-on, so the version is written into the copy.
file(READ ${SOURCE}/__init__.py text)
string(REPLACE "." ", " tuple "${VERSION}")
string(REPLACE "bl_info = {\n" "bl_info = {\n    \"version\": (${tuple}),\n" written "${text}")
if(written STREQUAL text)
  message(FATAL_ERROR "${SOURCE}/__init__.py: no line \"bl_info = {\" to write the version below")
endif()
file(WRITE ${TARGET}/__init__.py "${written}")

set(PROJECT_VERSION ${VERSION})
set(QXV_ADDON_PLATFORM ${PLATFORM})
configure_file(${SOURCE}/blender_manifest.toml.in ${TARGET}/blender_manifest.toml @ONLY)
