// Expand brush effect (resource 102): the picture grows or shrinks about
// "center" inside the mask.
//   m = Mask alpha at (u, v)
//   f = 1 - m * amplitude.x + m * amplitude.y   (expansion, contraction)
//   c = Background at center + ((u, v) - center) * f
//   output = c, alpha m
// An expansion of 0.25 shows the picture 1 / 0.75 times as large; the brush
// sets only one of the two amplitudes at a time. A uniform scale about a
// point keeps its shape whatever the picture's aspect, so "Scale" is
// declared for the brush but not needed here.
// "Main" blends with source alpha, "MainFX" writes without blending.

texture Background
texture Mask
float2 Scale = 1, 1
float2 amplitude = 0, 0
float2 center = 0.5, 0.5

sampler2D BackgroundSampler {
    Texture = <Background>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = MIRROR
    AddressV = MIRROR
}

sampler2D MaskSampler {
    Texture = <Mask>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = MIRROR
    AddressV = MIRROR
}

pixelshader Expand ps_2_0 {
    bind amplitude c0
    bind center c1
    bind BackgroundSampler s0
    bind MaskSampler s1
    def c2, 1, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1                    // m = r0.w
    add r1.x, c0.y, -c0.x
    mad r1.x, r0.w, r1.x, c2.x          // f
    add r2.xy, t0, -c1
    mad r2.xy, r2, r1.x, c1
    texld r2, r2, s0                    // c
    mov r2.w, r0.w
    mov oC0, r2
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Expand
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = Expand
    }
}
