# Pictures of the embedded scene, painted at build time by
# tools/scenepics/make_pictures.py into ${SCENE_PICTURES_DIR}: the slide
# picture, the splash (linked into the program as "DDS" 5), the brush masks,
# the description of their regions, the lake light's ripple map and the
# sprite and particle pictures.
set(SCENE_PICTURES_DIR ${CMAKE_BINARY_DIR}/scenepics)
set(SCENE_PICTURES_CONVERT /usr/bin/convert CACHE FILEPATH "ImageMagick convert used to make the scene pictures")
set(SCENE_PICTURES
    ${SCENE_PICTURES_DIR}/landscape.jpg
    ${SCENE_PICTURES_DIR}/splash.bmp
    ${SCENE_PICTURES_DIR}/mask_water.png
    ${SCENE_PICTURES_DIR}/mask_stream.png
    ${SCENE_PICTURES_DIR}/mask_ripple.png
    ${SCENE_PICTURES_DIR}/regions.json
    ${SCENE_PICTURES_DIR}/ripple_dudv.dds
    ${SCENE_PICTURES_DIR}/sprite_bird.png
    ${SCENE_PICTURES_DIR}/sprite_drop.png
    ${SCENE_PICTURES_DIR}/sprite_fish.png
    ${SCENE_PICTURES_DIR}/sprite_fog.png
    ${SCENE_PICTURES_DIR}/sprite_glow.png
    ${SCENE_PICTURES_DIR}/sprite_petal.png
    ${SCENE_PICTURES_DIR}/sprite_ray.png
    ${SCENE_PICTURES_DIR}/sprite_sparkle.png
    ${SCENE_PICTURES_DIR}/sprite_bolt.png
    ${SCENE_PICTURES_DIR}/sprite_grass.png
    ${SCENE_PICTURES_DIR}/sprite_sign.png
    ${SCENE_PICTURES_DIR}/sprite_flower.png
    ${SCENE_PICTURES_DIR}/sprite_discharge.png)
foreach(sprite glint glow star frame0 frame1 frame2 frame3)
    list(APPEND SCENE_PICTURES ${SCENE_PICTURES_DIR}/particle_${sprite}.png)
endforeach()
list(APPEND SCENE_PICTURES ${SCENE_PICTURES_DIR}/explosion_gradient.png ${SCENE_PICTURES_DIR}/explosion_noise.png)
file(GLOB SCENE_PICTURES_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/scenepics/*.py)
add_custom_command(OUTPUT ${SCENE_PICTURES}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/scenepics/make_pictures.py
        --convert ${SCENE_PICTURES_CONVERT} ${SCENE_PICTURES_DIR}
    DEPENDS ${SCENE_PICTURES_SOURCES}
    COMMENT "Painting the scene pictures"
    VERBATIM)
add_custom_target(scene_pictures DEPENDS ${SCENE_PICTURES})
