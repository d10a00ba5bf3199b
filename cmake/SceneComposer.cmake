# The scene composer the build runs to write scene documents, in
# SCENE_COMPOSER (a program path or generator expression) with what a
# command that runs it depends on in SCENE_COMPOSER_DEPENDS. Run it through
# tools/wine-run.sh (see tools/composer/composer.cpp for its arguments).
#
# A machine that cannot run this build's programs names a composer it can
# run (tools/build.sh passes the 64-bit build's); the documents are the
# same bytes whichever build writes them.
set(CORVALLINE_SCENE_COMPOSER "" CACHE FILEPATH "Scene composer this machine can run; empty: this build's own")
if(CORVALLINE_SCENE_COMPOSER)
    set(SCENE_COMPOSER ${CORVALLINE_SCENE_COMPOSER})
    set(SCENE_COMPOSER_DEPENDS ${CORVALLINE_SCENE_COMPOSER})
else()
    set(SCENE_COMPOSER $<TARGET_FILE:scene_composer>)
    set(SCENE_COMPOSER_DEPENDS scene_composer)
endif()
