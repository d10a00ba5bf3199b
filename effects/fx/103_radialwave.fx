// Radial-wave brush effect (resource 103): circular waves about "center"
// shift the background lookup inside the mask.
//   m = Mask alpha at (u, v); a = m * amplitude
//   r = length(((u, v) - center) * bg_scale_factor)
//   s = sin(frequency * r + time), angle reduced into [-pi, pi)
//   c = Background at (u + a s, v + a s)
// "MainFX" outputs c; "Main" outputs c with alpha 0 wherever a is 0, so the
// blend leaves the picture untouched outside the mask.

texture Background
texture Mask
float amplitude = 0.0125
float frequency = 166.66667
float time = 0
float2 center = 0.5, 0.5
float2 bg_scale_factor = 1, 0.75

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

pixelshader RadialWaveBlend ps_2_0 {
    bind amplitude c0
    bind frequency c1
    bind time c2
    bind center c3
    bind bg_scale_factor c4
    bind BackgroundSampler s0
    bind MaskSampler s1
    def c5, 0.15915494, 0.5, 6.2831855, -3.1415927   // 1/(2 pi), 0.5, 2 pi, -pi
    def c6, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668
    def c7, -0.020833334, -0.125, 1, 0.5
    def c8, 0, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1
    mul r1.x, r0.w, c0.x            // a
    add r2.xy, t0, -c3
    mul r2.xy, r2, c4
    dp2add r2.x, r2, r2, c8.x
    rsq r2.y, r2.x
    rcp r2.y, r2.y                  // r (rcp of the infinite rsq of 0 is 0)
    mad r3.x, c1.x, r2.y, c2.x
    mad r3.x, r3.x, c5.x, c5.y
    frc r3.x, r3.x
    mad r3.x, r3.x, c5.z, c5.w
    sincos r4.y, r3.x, c6, c7       // s
    mad r5.xy, r1.x, r4.y, t0
    texld r5, r5, s0                // c
    abs r6.x, r1.x
    cmp r5.w, -r6.x, c8.x, r5.w     // alpha 0 where a is 0
    mov oC0, r5
}

pixelshader RadialWaveCopy ps_2_0 {
    bind amplitude c0
    bind frequency c1
    bind time c2
    bind center c3
    bind bg_scale_factor c4
    bind BackgroundSampler s0
    bind MaskSampler s1
    def c5, 0.15915494, 0.5, 6.2831855, -3.1415927
    def c6, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668
    def c7, -0.020833334, -0.125, 1, 0.5
    def c8, 0, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1
    mul r1.x, r0.w, c0.x
    add r2.xy, t0, -c3
    mul r2.xy, r2, c4
    dp2add r2.x, r2, r2, c8.x
    rsq r2.y, r2.x
    rcp r2.y, r2.y
    mad r3.x, c1.x, r2.y, c2.x
    mad r3.x, r3.x, c5.x, c5.y
    frc r3.x, r3.x
    mad r3.x, r3.x, c5.z, c5.w
    sincos r4.y, r3.x, c6, c7
    mad r5.xy, r1.x, r4.y, t0
    texld r5, r5, s0
    mov oC0, r5
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = RadialWaveBlend
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = RadialWaveCopy
    }
}
