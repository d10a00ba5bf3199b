# Builds of the screensaver for the end-to-end tests that differ from the
# program only in its scene document ("DDS" 107), next to corvalline.scr so
# that they find common_res.dll:
#   corvalline_no_document.scr   no scene document at all
#   corvalline_cut_document.scr  the program's document cut off halfway
#   corvalline_music.scr         music.scene here, with music files of known tones
#   corvalline_sounds.scr        sounds.scene here: MP3 and WAV sound items of known tones
#   corvalline_still.scr         still.scene here: the landscape, camera still, no brushes
#   corvalline_two_pictures.scr  two_pictures.scene here: two slides, two pictures
#   corvalline_glyphs.scr        glyphs.scene here: falling glyphs over the picture, then over black
#   corvalline_brushes_underwater.scr  brushes_underwater.scene here: pattern, copy and fire
#                                brushes in boxes, then an underwater slide
#   corvalline_underwater_stress.scr   underwater_stress.scene here: the frame benchmark's
#                                underwater slide under three full-screen brushes
#   corvalline_water_lights.scr  water_lights.scene here: the lake and the two ring modes
#   corvalline_particles.scr     particles.scene here: glints, a frame sequence and twinkling stars
#   corvalline_particles_stress.scr  particles_stress.scene here: the frame benchmark's glints
#                                and stars of 16383 points each
#   corvalline_flame_glassball.scr  flame_glassball.scene here: a flame slide, then a glass ball
#   corvalline_glassball_stress.scr  glassball_stress.scene here: the frame benchmark's scrolling
#                                glass ball with background picture, overlays and stand
#   corvalline_flame_stress.scr  flame_stress.scene here: the frame benchmark's flame slide
#   corvalline_sprites.scr       sprites.scene here: a sprite system of each kind over the
#                                landscape, camera still
#   corvalline_sprites_stress.scr  sprites_stress.scene here: the frame benchmark's sprite
#                                slide (rain at 16383 drops, 2,000 other sprites and a
#                                glowing discharge of 16383 segments)
#   corvalline_objects3d.scr     objects3d.scene here: butterflies, a clock and falling leaves
#   corvalline_objects3d_stress.scr  objects3d_stress.scene here: 1000 leaves, 50 butterflies
#                                and a clock for the frame benchmark
#   corvalline_particle_shows.scr  particle_shows.scene here: the particle shows over the
#                                landscape (an explosion among them), camera still
#   corvalline_lightning_stress.scr  lightning_stress.scene here: the frame benchmark's bolt
#                                at 12 subdivisions filling its quad budget
#   corvalline_plants_text.scr   plants_text.scene here: a swaying plant, swinging rays,
#                                smoke, frame-sequence animations and the texts over the
#                                landscape, camera still
#   corvalline_plants_stress.scr plants_stress.scene here: the frame benchmark's 16383 rays
#                                and smoke of 16383 quads
#   corvalline_animations_stress.scr  animations_stress.scene here: 16383 Brownian sprites
#                                for the frame benchmark
#   corvalline_particle_shows_stress.scr  particle_shows_stress.scene here: the frame
#                                benchmark's falling stars and firework at 16383 particles
#                                and 16383 trail particles each
#   corvalline_rewrite.scr       rewrite.scene here: a still scene of library effects, a
#                                document effect, patterns, masks and the border picture
#   corvalline_rewritten.scr     the same document read and written again by the
#                                composer's --rewrite mode (the classes' own Write)
# Each has its own copy of res/corvalline.rc with the document line changed,
# so every other resource stays the program's own.
include(${CMAKE_SOURCE_DIR}/cmake/SceneComposer.cmake)

set(variantDir ${CMAKE_CURRENT_BINARY_DIR}/variants)
set(programDocument ${GENERATED_RES}/scene.kvb)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/corvalline.rc)
file(READ ${CMAKE_SOURCE_DIR}/res/corvalline.rc programResources)
set(documentLine "107 DDS \"scene.kvb\"")
string(FIND "${programResources}" "${documentLine}" documentAt)
if(documentAt EQUAL -1)
    message(FATAL_ERROR "res/corvalline.rc has no line '${documentLine}' for the test builds to replace")
endif()

# corvalline_saver_variant(NAME DOCUMENT): DOCUMENT empty for none.
function(corvalline_saver_variant name document)
    if(document)
        string(REPLACE "${documentLine}" "107 DDS \"${document}\"" resources "${programResources}")
    else()
        string(REPLACE "${documentLine}" "// This build has no scene document." resources "${programResources}")
    endif()
    file(CONFIGURE OUTPUT ${variantDir}/${name}.rc CONTENT "${resources}" @ONLY)
    corvalline_add_saver(${name} ${variantDir}/${name}.rc)
    if(document)
        set_property(SOURCE ${variantDir}/${name}.rc APPEND PROPERTY OBJECT_DEPENDS ${document})
    endif()
    add_dependencies(${name} variant_documents)
endfunction()

set(cutDocument ${variantDir}/cut_scene.kvb)
add_custom_command(OUTPUT ${cutDocument}
    COMMAND Python3::Interpreter -c
        "import sys; d = open(sys.argv[1], 'rb').read(); open(sys.argv[2], 'wb').write(d[:len(d) // 2])"
        ${programDocument} ${cutDocument}
    DEPENDS ${programDocument}
    COMMENT "Cutting the scene document in half"
    VERBATIM)

# Scenes here whose music and sound items are tones made while composing.
set(toneDocuments "")
foreach(scene music sounds)
    set(document ${variantDir}/${scene}_scene.kvb)
    add_custom_command(OUTPUT ${document}
        COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/compose_tone_scene.py
            ${CMAKE_SOURCE_DIR}/tools/wine-run.sh ${SCENE_COMPOSER}
            ${CMAKE_CURRENT_LIST_DIR}/${scene}.scene ${SCENE_PICTURES_DIR} ${CMAKE_BINARY_DIR}/fx
            ${CMAKE_BINARY_DIR}/res/common_res/generated ${document}
        DEPENDS ${SCENE_COMPOSER_DEPENDS} ${CMAKE_CURRENT_LIST_DIR}/compose_tone_scene.py
            ${CMAKE_CURRENT_LIST_DIR}/${scene}.scene ${SCENE_PICTURES_DIR}/landscape.jpg
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        COMMENT "Composing the ${scene} test scene"
        VERBATIM)
    list(APPEND toneDocuments ${document})
endforeach()

# Scenes here that use only the build's scene pictures.
set(pictureDocuments "")
foreach(scene still two_pictures glyphs water_lights glassball_stress sprites sprites_stress particles
    particles_stress particle_shows particle_shows_stress plants_text lightning_stress plants_stress
    animations_stress)
    set(document ${variantDir}/${scene}_scene.kvb)
    add_custom_command(OUTPUT ${document}
        COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-run.sh ${SCENE_COMPOSER}
            ${CMAKE_CURRENT_LIST_DIR}/${scene}.scene ${SCENE_PICTURES_DIR} ${CMAKE_BINARY_DIR}/fx
            ${CMAKE_BINARY_DIR}/res/common_res/generated ${document}
        DEPENDS ${SCENE_COMPOSER_DEPENDS} ${CMAKE_CURRENT_LIST_DIR}/${scene}.scene ${SCENE_PICTURES}
            ${CMAKE_BINARY_DIR}/res/common_res/generated/common_res.rc ${CORVALLINE_EFFECTS_DOCUMENT}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        COMMENT "Composing the ${scene} test scene"
        VERBATIM)
    list(APPEND pictureDocuments ${document})
endforeach()

# Scenes whose masks and patterns compose_picture_scene.py makes from their names.
set(madePictureDocuments "")
foreach(scene brushes_underwater underwater_stress flame_glassball flame_stress rewrite)
    set(document ${variantDir}/${scene}_scene.kvb)
    add_custom_command(OUTPUT ${document}
        COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/compose_picture_scene.py
            ${CMAKE_SOURCE_DIR}/tools/wine-run.sh ${SCENE_COMPOSER}
            ${CMAKE_CURRENT_LIST_DIR}/${scene}.scene ${SCENE_PICTURES_DIR} ${CMAKE_BINARY_DIR}/fx
            ${CMAKE_BINARY_DIR}/res/common_res/generated ${document}
        DEPENDS ${SCENE_COMPOSER_DEPENDS} ${CMAKE_CURRENT_LIST_DIR}/compose_picture_scene.py
            ${CMAKE_CURRENT_LIST_DIR}/${scene}.scene ${SCENE_PICTURES_DIR}/landscape.jpg
            ${CMAKE_BINARY_DIR}/res/common_res/generated/common_res.rc ${CORVALLINE_EFFECTS}
            ${CORVALLINE_EFFECTS_DOCUMENT}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        COMMENT "Composing the ${scene} test scene"
        VERBATIM)
    list(APPEND madePictureDocuments ${document})
endforeach()

# Scenes whose wing picture, leaf picture and leaf mesh compose_object3d_scene.py makes.
set(objectDocuments "")
foreach(scene objects3d objects3d_stress)
    set(document ${variantDir}/${scene}_scene.kvb)
    add_custom_command(OUTPUT ${document}
        COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/compose_object3d_scene.py
            ${CMAKE_SOURCE_DIR}/tools/wine-run.sh ${SCENE_COMPOSER}
            ${CMAKE_CURRENT_LIST_DIR}/${scene}.scene ${SCENE_PICTURES_DIR} ${CMAKE_BINARY_DIR}/fx
            ${CMAKE_BINARY_DIR}/res/common_res/generated ${document}
        DEPENDS ${SCENE_COMPOSER_DEPENDS} ${CMAKE_CURRENT_LIST_DIR}/compose_object3d_scene.py
            ${CMAKE_CURRENT_LIST_DIR}/compose_picture_scene.py ${CMAKE_SOURCE_DIR}/tools/make_common_res.py
            ${CMAKE_CURRENT_LIST_DIR}/${scene}.scene ${SCENE_PICTURES_DIR}/landscape.jpg
            ${CMAKE_BINARY_DIR}/res/common_res/generated/common_res.rc
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        COMMENT "Composing the ${scene} test scene"
        VERBATIM)
    list(APPEND objectDocuments ${document})
endforeach()

# The rewrite scene's document read and written again through the classes'
# own Write operations.
set(rewrittenDocument ${variantDir}/rewritten_scene.kvb)
add_custom_command(OUTPUT ${rewrittenDocument}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-run.sh ${SCENE_COMPOSER} --rewrite ${variantDir}/rewrite_scene.kvb
        ${rewrittenDocument}
    DEPENDS ${SCENE_COMPOSER_DEPENDS} ${variantDir}/rewrite_scene.kvb
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Rewriting the rewrite test scene"
    VERBATIM)

add_custom_target(variant_documents DEPENDS ${cutDocument} ${toneDocuments} ${pictureDocuments}
    ${madePictureDocuments} ${objectDocuments} ${rewrittenDocument})
add_dependencies(variant_documents scene_documents scene_pictures common_res_files)

corvalline_saver_variant(corvalline_no_document "")
corvalline_saver_variant(corvalline_cut_document ${cutDocument})
corvalline_saver_variant(corvalline_music ${variantDir}/music_scene.kvb)
corvalline_saver_variant(corvalline_sounds ${variantDir}/sounds_scene.kvb)
corvalline_saver_variant(corvalline_still ${variantDir}/still_scene.kvb)
corvalline_saver_variant(corvalline_two_pictures ${variantDir}/two_pictures_scene.kvb)
corvalline_saver_variant(corvalline_glyphs ${variantDir}/glyphs_scene.kvb)
corvalline_saver_variant(corvalline_brushes_underwater ${variantDir}/brushes_underwater_scene.kvb)
corvalline_saver_variant(corvalline_underwater_stress ${variantDir}/underwater_stress_scene.kvb)
corvalline_saver_variant(corvalline_water_lights ${variantDir}/water_lights_scene.kvb)
corvalline_saver_variant(corvalline_particles ${variantDir}/particles_scene.kvb)
corvalline_saver_variant(corvalline_particles_stress ${variantDir}/particles_stress_scene.kvb)
corvalline_saver_variant(corvalline_plants_text ${variantDir}/plants_text_scene.kvb)
corvalline_saver_variant(corvalline_plants_stress ${variantDir}/plants_stress_scene.kvb)
corvalline_saver_variant(corvalline_flame_glassball ${variantDir}/flame_glassball_scene.kvb)
corvalline_saver_variant(corvalline_glassball_stress ${variantDir}/glassball_stress_scene.kvb)
corvalline_saver_variant(corvalline_flame_stress ${variantDir}/flame_stress_scene.kvb)
corvalline_saver_variant(corvalline_sprites ${variantDir}/sprites_scene.kvb)
corvalline_saver_variant(corvalline_sprites_stress ${variantDir}/sprites_stress_scene.kvb)
corvalline_saver_variant(corvalline_objects3d ${variantDir}/objects3d_scene.kvb)
corvalline_saver_variant(corvalline_objects3d_stress ${variantDir}/objects3d_stress_scene.kvb)
corvalline_saver_variant(corvalline_particle_shows ${variantDir}/particle_shows_scene.kvb)
corvalline_saver_variant(corvalline_lightning_stress ${variantDir}/lightning_stress_scene.kvb)
corvalline_saver_variant(corvalline_animations_stress ${variantDir}/animations_stress_scene.kvb)
corvalline_saver_variant(corvalline_particle_shows_stress ${variantDir}/particle_shows_stress_scene.kvb)
corvalline_saver_variant(corvalline_rewrite ${variantDir}/rewrite_scene.kvb)
corvalline_saver_variant(corvalline_rewritten ${rewrittenDocument})

# The scene-slot unit tests read the splash and the documents of these
# builds; the document robustness tests read the test-build documents.
add_dependencies(unit_tests variant_documents)
add_dependencies(unit_tests corvalline_no_document corvalline_cut_document corvalline_sounds corvalline_glyphs
    corvalline_water_lights corvalline_sprites corvalline_particles)
