// Pattern brush effect (resource 78): a pattern picture tiled over the
// picture inside the mask.
//   q = (u, v) * scale                 picture coordinates, x stretched by
//                                      the pattern's aspect (w / h)
//   p = (q . coord_transf) / scale + offset
//                                      coord_transf holds the 2 x 2 matrix
//                                      (scaling to pattern tiles, then the
//                                      rotation) as _11, _12, _21, _22
//   c = Pattern at p (wrapped) * mix_color
//   output = c, alpha c.a * Mask alpha
// Rotating in coordinates where both axes have the same length in pixels
// and dividing the aspect out afterwards keeps a rotated pattern free of
// shear whatever its aspect. Negative scales in coord_transf flip it.
// "Main" blends with source alpha over the scene; "MainFX" mixes over the
// scene itself and writes the whole target.

texture Background
texture Mask
texture Pattern
float2 Scale = 1, 1
float4 mix_color = 1, 1, 1, 1
float2 scale = 1, 1
float2 offset = 0, 0
float4 coord_transf = 1, 0, 0, 1

sampler2D PatternSampler {
    Texture = <Pattern>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = WRAP
    AddressV = WRAP
}

sampler2D MaskSampler {
    Texture = <Mask>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = MIRROR
    AddressV = MIRROR
}

sampler2D BackgroundSampler {
    Texture = <Background>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = MIRROR
    AddressV = MIRROR
}

pixelshader PatternTile ps_2_0 {
    bind scale c0
    bind offset c1
    bind coord_transf c2
    bind mix_color c3
    bind PatternSampler s0
    bind MaskSampler s1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    mul r0.xy, t0, c0                   // q
    mul r1.x, r0.x, c2.x
    mad r1.x, r0.y, c2.z, r1.x
    mul r1.y, r0.x, c2.y
    mad r1.y, r0.y, c2.w, r1.y          // q . coord_transf
    rcp r2.x, c0.x
    mul r1.x, r1.x, r2.x                // aspect divided out
    add r1.xy, r1, c1                   // p
    texld r2, r1, s0
    texld r3, t0, s1                    // mask alpha r3.w
    mul r2, r2, c3
    mul r2.w, r2.w, r3.w
    mov oC0, r2
}

pixelshader PatternOver ps_2_0 {
    bind scale c0
    bind offset c1
    bind coord_transf c2
    bind mix_color c3
    bind PatternSampler s0
    bind MaskSampler s1
    bind BackgroundSampler s2
    def c4, 1, 1, 1, 1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    dcl_2d s2
    mul r0.xy, t0, c0
    mul r1.x, r0.x, c2.x
    mad r1.x, r0.y, c2.z, r1.x
    mul r1.y, r0.x, c2.y
    mad r1.y, r0.y, c2.w, r1.y
    rcp r2.x, c0.x
    mul r1.x, r1.x, r2.x
    add r1.xy, r1, c1
    texld r2, r1, s0
    texld r3, t0, s1
    texld r4, t0, s2                    // the scene
    mul r2, r2, c3
    mul r2.w, r2.w, r3.w
    lrp r5, r2.w, r2, r4
    mov r5.w, c4.w
    mov oC0, r5
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = PatternTile
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = PatternOver
    }
}
