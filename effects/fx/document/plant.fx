// Swaying-plant effect (no resource number; documents store it). The plant's
// quad stands still; the sway moves the picture lookup sideways, more the
// higher up the stem, so no matrix reaches the effect.
//   h = 1 - v                                   0 at the base, 1 at the top
//   wave = WMagnitude * sin(Frequency * h + Time)   a wave running up the stem
//   bend = BMagnitude * h * sin(Time)               the whole stem leaning
//   c = Texture at (u + h * (wave + bend), v)
//   output = c * diffuse * color
// "Main" blends with source alpha. The lookup clamps at the picture's edges,
// so a picture with a transparent border sways without smearing.

texture Texture
float Time = 0
float Frequency = 0
float WMagnitude = 0
float BMagnitude = 0
float4 color = 1, 1, 1, 1

sampler2D PlantSampler {
    Texture = <Texture>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = NONE
    AddressU = CLAMP
    AddressV = CLAMP
}

pixelshader Sway ps_2_0 {
    bind Time c0
    bind Frequency c1
    bind WMagnitude c2
    bind BMagnitude c3
    bind color c4
    bind PlantSampler s0
    def c5, 0.15915494, 0.5, 6.2831855, -3.1415927   // 1/(2 pi), 0.5, 2 pi, -pi
    def c6, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668
    def c7, -0.020833334, -0.125, 1, 0.5
    def c8, 1, 0, 0, 0
    dcl t0.xy
    dcl v0
    dcl_2d s0
    add r0.x, c8.x, -t0.y               // h
    mad r1.x, r0.x, c1.x, c0.x          // Frequency * h + Time
    mad r1.x, r1.x, c5.x, c5.y
    frc r1.x, r1.x
    mad r1.x, r1.x, c5.z, c5.w          // reduced into [-pi, pi)
    sincos r2.y, r1.x, c6, c7           // sin of the wave
    mad r1.y, c0.x, c5.x, c5.y
    frc r1.y, r1.y
    mad r1.y, r1.y, c5.z, c5.w
    sincos r3.y, r1.y, c6, c7           // sin(Time)
    mul r3.x, r3.y, c3.x
    mul r3.x, r3.x, r0.x                // bend
    mad r3.x, r2.y, c2.x, r3.x          // wave + bend
    mov r4, t0
    mad r4.x, r3.x, r0.x, t0.x          // u + h * (wave + bend)
    texld r4, r4, s0
    mul r4, r4, v0
    mul r4, r4, c4
    mov oC0, r4
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = Sway
    }
}
