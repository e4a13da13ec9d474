# Puts the site together in SITE: the page's files, the pictures (1x, 2x, 3x), the sounds,
# the documents and the icons, and the service worker with the list of files it keeps at once
# and a version that changes whenever one of them does.
file(GLOB page_files ${SOURCE}/web/site/*)
file(COPY ${page_files} DESTINATION ${SITE})
file(COPY ${SOURCE}/assets/pictures DESTINATION ${SITE})
file(COPY ${SOURCE}/assets/SOUND DESTINATION ${SITE})
file(COPY ${SOURCE}/assets/docs DESTINATION ${SITE})
file(COPY ${SOURCE}/assets/icon DESTINATION ${SITE})

# Kept at installation: everything but the finer picture sets, which a screen that needs them
# fetches and the worker keeps on the way.
set(kept ./ index.html style.css page.js zarq.js zarq.wasm
    manifest.webmanifest)
file(GLOB sounds RELATIVE ${SITE} ${SITE}/SOUND/*.wav)
file(GLOB docs RELATIVE ${SITE} ${SITE}/docs/*)
file(GLOB icons RELATIVE ${SITE} ${SITE}/icon/*)
file(GLOB pictures RELATIVE ${SITE} ${SITE}/pictures/*)
list(FILTER pictures EXCLUDE REGEX "@[23]x\\.")
list(APPEND kept ${sounds} ${docs} ${icons} ${pictures})
set(hashes "")
foreach(f IN LISTS kept)
    if(EXISTS ${SITE}/${f} AND NOT IS_DIRECTORY ${SITE}/${f})
        file(SHA256 ${SITE}/${f} h)
        string(APPEND hashes ${h})
    endif()
endforeach()
string(SHA256 version "${VERSION}${hashes}")
string(SUBSTRING ${version} 0 16 version)
list(TRANSFORM kept PREPEND "  \"")
list(TRANSFORM kept APPEND "\",")
string(REPLACE ";" "\n" list_text "${kept}")
file(READ ${SOURCE}/web/site/sw.js worker)
string(REPLACE "/*@KEPT@*/" "${list_text}" worker "${worker}")
string(REPLACE "@VERSION@" "${version}" worker "${worker}")
file(WRITE ${SITE}/sw.js "${worker}")
