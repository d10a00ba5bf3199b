// Underwater effect (resource 88): the whole picture displaced by two sets
// of waves, one running across and one down.
//   m = Mask alpha at (u, v)           1 where no mask is bound
//   dx = amplitude * sin(2 pi * frequency.y * v + time)
//   dy = amplitude * sin(2 pi * frequency.x * u + 1.3 * time)
//   output = Background at (u, v) + m * (dx, dy), opaque
// The displacement never exceeds "amplitude" in texture units, a share of
// the picture's size. Both techniques write the whole target.

texture Background
texture Mask
float2 Scale = 1, 1
float2 frequency = 13.2, 9.9
float amplitude = 0.00625
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

pixelshader Wobble ps_2_0 {
    bind frequency c0
    bind amplitude c1
    bind time c2
    bind BackgroundSampler s0
    bind MaskSampler s1
    def c3, 0.15915494, 0.5, 6.2831855, -3.1415927   // 1/(2 pi), 0.5, 2 pi, -pi
    def c4, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668
    def c5, -0.020833334, -0.125, 1, 0.5
    def c6, 1, 1.3, 0, 1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1                    // m = r0.w
    mul r1.x, t0.y, c0.y                // cycles down the picture
    mul r1.x, r1.x, c3.z
    add r1.x, r1.x, c2.x                // 2 pi f v + time
    mad r1.x, r1.x, c3.x, c3.y
    frc r1.x, r1.x
    mad r1.x, r1.x, c3.z, c3.w
    sincos r2.y, r1.x, c4, c5           // sin for dx
    mul r3.x, t0.x, c0.x
    mul r3.x, r3.x, c3.z
    mad r3.x, c2.x, c6.y, r3.x          // 2 pi f u + 1.3 time
    mad r3.x, r3.x, c3.x, c3.y
    frc r3.x, r3.x
    mad r3.x, r3.x, c3.z, c3.w
    sincos r4.y, r3.x, c4, c5           // sin for dy
    mov r5.x, r2.y
    mov r5.y, r4.y
    mul r5.xy, r5, c1.x
    mad r5.xy, r5, r0.w, t0
    texld r6, r5, s0
    mov r6.w, c6.w
    mov oC0, r6
}

technique Main {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = Wobble
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = Wobble
    }
}
