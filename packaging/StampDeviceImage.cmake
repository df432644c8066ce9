# Writes IMAGE/.rotix-image: the VERSION and a digest of every file of the
# image under its name. Rewritten only when it changes, so an unchanged image
# keeps its stamp and nobody's root is copied again for nothing.
#
#   cmake -DIMAGE=FOLDER -DVERSION=X.Y.Z -P StampDeviceImage.cmake
set(stamp "${IMAGE}/.rotix-image")
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${IMAGE}" "${IMAGE}/*")
list(REMOVE_ITEM files ".rotix-image")
list(SORT files)
set(manifest "")
foreach(file IN LISTS files)
    file(SHA256 "${IMAGE}/${file}" digest)
    string(APPEND manifest "${digest}  ${file}\n")
endforeach()
string(SHA256 digest "${manifest}")
set(content "${VERSION} ${digest}\n")
set(previous "")
if(EXISTS "${stamp}")
    file(READ "${stamp}" previous)
endif()
if(NOT previous STREQUAL content)
    file(WRITE "${stamp}" "${content}")
endif()
