// Water brush effect (resource 90): a bump-mapped water surface seen in
// perspective, with two moving wave directions.
//   k = 1 - v; d = k * P1 + P2
//   q = ((u - 0.5) / d.x, 2 * P2.y / d.y)            perspective coordinates
//   s = sin(q . Direction1 + Time), angle reduced into [-pi, pi)
//   b = BumpMap(q * Scale).rg - 0.5
//   o = (b.x B0 + b.y B1, b.x B2 + b.y B3) + s * Direction2   (B = BampTrans rows)
//   m = Mask alpha at (u, v); c = Background at (u, v) + d.z * m * o
//   n = normalize(o.x, o.y, 0.03); shadow = m |n.y Shadows|; glint = m |n . Vhalf|^64
//   output = c (1 + shadow Color) + glint Color, alpha m
// "Main" blends with source alpha, "MainFX" writes without blending.

texture Background
texture Mask
texture BumpMap
float2 Scale = 1, 1
float2x2 BampTrans = 1, 0, 0, 1
float3 P1 = -0.998, -1, -0.998
float3 P2 = 1, 1.03267, 1
float Time = 0
float2 Direction1 = -34.82, -29.218
float2 Direction2 = -0.0019151, -0.001607
float Shadows = 0
float3 Color = 1, 1, 1
float3 Vhalf = 0.44721, 0.89443, 0

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

sampler2D BumpMapSampler {
    Texture = <BumpMap>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = WRAP
    AddressV = WRAP
}

pixelshader Water ps_2_0 {
    bind Scale c0
    bind P1 c1
    bind P2 c2
    bind Direction1 c3
    bind Direction2 c4
    bind Time c5
    bind BampTrans c6                // rows: c6 = (B0, B1), c7 = (B2, B3)
    bind Shadows c8
    bind Vhalf c9
    bind Color c10
    bind BackgroundSampler s0
    bind MaskSampler s1
    bind BumpMapSampler s2
    def c11, 0.5, 1, 2, 0.03
    def c12, 0.15915494, 0.5, 6.2831855, -3.1415927   // 1/(2 pi), 0.5, 2 pi, -pi
    def c13, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668
    def c14, -0.020833334, -0.125, 1, 0.5
    def c15, 0, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    dcl_2d s2
    add r0.x, c11.y, -t0.y              // k
    mad r0.xyz, r0.x, c1, c2            // d
    add r1.x, t0.x, -c11.x
    rcp r2.x, r0.x
    rcp r2.y, r0.y
    mul r1.x, r1.x, r2.x
    mul r1.y, c2.y, r2.y
    add r1.y, r1.y, r1.y                // q
    dp2add r2.x, r1, c3, c5.x
    mad r2.x, r2.x, c12.x, c12.y
    frc r2.x, r2.x
    mad r2.x, r2.x, c12.z, c12.w
    sincos r3.y, r2.x, c13, c14         // s
    mul r4.xy, r1, c0
    texld r4, r4, s2
    add r4.xy, r4, -c11.x               // b
    dp2add r5.x, r4, c6, c15.x
    dp2add r5.y, r4, c7, c15.x
    mad r5.xy, r3.y, c4, r5             // o
    texld r6, t0, s1                    // m = r6.w
    mul r7.x, r0.z, r6.w
    mad r7.xy, r7.x, r5, t0
    texld r7, r7, s0                    // c
    mov r8.xy, r5
    mov r8.z, c11.w
    dp3 r9.x, r8, r8
    rsq r9.x, r9.x
    mul r8.xyz, r8, r9.x                // n
    mul r9.x, r8.y, c8.x
    abs r9.x, r9.x
    mul r9.x, r9.x, r6.w                // shadow
    dp3 r9.y, r8, c9
    abs r9.y, r9.y
    mul r9.y, r9.y, r9.y
    mul r9.y, r9.y, r9.y
    mul r9.y, r9.y, r9.y
    mul r9.y, r9.y, r9.y
    mul r9.y, r9.y, r9.y
    mul r9.y, r9.y, r9.y                // |n . Vhalf|^64
    mul r9.y, r9.y, r6.w                // glint
    mad r10.xyz, r9.x, c10, c11.y
    mul r10.xyz, r7, r10
    mad r10.xyz, r9.y, c10, r10
    mov r10.w, r6.w
    mov oC0, r10
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Water
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = Water
    }
}
