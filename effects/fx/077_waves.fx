// Waves brush effect (resource 77): parallel sine waves running along
// "direction" shift the picture lookup inside the mask.
//   m = Mask alpha at (u, v); q = (u, v) * Scale      zoomed coordinates
//   s = sin(frequency * (q . direction) + time), angle reduced into [-pi, pi)
//   c = Background at (u, v) + m * amplitude * s * direction_n / Scale
//   output = c, alpha m
// The brush passes "direction" negated, so a rising "time" moves the crests
// along the brush's own direction; "direction_n" is the way the picture
// moves (across the waves, or along them for the cross mode). Lengths are in
// zoomed units (one unit is the picture height times the zoom), which keeps
// the crests straight and evenly spaced whatever the picture's aspect.
// "Main" blends with source alpha, "MainFX" writes without blending.

texture Background
texture Mask
float2 Scale = 1, 1
float2 direction = -1, 0
float2 direction_n = 0, 1
float frequency = 38.461538
float amplitude = 0.0125
float time = 0

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

pixelshader Waves ps_2_0 {
    bind Scale c0
    bind direction c1
    bind direction_n c2
    bind frequency c3
    bind amplitude c4
    bind time c5
    bind BackgroundSampler s0
    bind MaskSampler s1
    def c6, 0.15915494, 0.5, 6.2831855, -3.1415927   // 1/(2 pi), 0.5, 2 pi, -pi
    def c7, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668
    def c8, -0.020833334, -0.125, 1, 0.5
    def c9, 0, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1                    // m = r0.w
    mul r1.xy, t0, c0                   // q
    dp2add r1.x, r1, c1, c9.x
    mad r1.x, r1.x, c3.x, c5.x
    mad r1.x, r1.x, c6.x, c6.y
    frc r1.x, r1.x
    mad r1.x, r1.x, c6.z, c6.w
    sincos r2.y, r1.x, c7, c8           // s
    mul r2.x, r2.y, c4.x
    mul r2.x, r2.x, r0.w                // m * amplitude * s
    rcp r3.x, c0.x
    rcp r3.y, c0.y
    mul r3.xy, r3, c2                   // direction_n / Scale
    mad r3.xy, r2.x, r3, t0
    texld r3, r3, s0                    // c
    mov r3.w, r0.w
    mov oC0, r3
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Waves
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = Waves
    }
}
