// Bend brush effect (no resource number; documents store it): the picture
// lookup turned about "Center" by an angle that grows with the distance from
// it, so straight lines through the mask bend around the centre.
//   m = Mask alpha at (u, v)
//   q = ((u, v) - Center) * Scale.xy               zoomed, centred coordinates
//   r = length(q); g = m * Angle * (1 + Bend * r), reduced into [-pi, pi)
//   q' = (q.x cos g - q.y sin g, q.x sin g + q.y cos g)
//   c = Background at q' * Scale.zw + Center
//   output = c, alpha m
// "Scale" holds (a / s, 1 / s, s / a, s): the zoom and its inverse, so the
// turn happens in coordinates where one unit is as long across as down.
// With "Bend" 0 the lookup turns as a whole by "Angle".
// "Main" blends with source alpha, "MainFX" writes without blending.

texture Background
texture Mask
float4 Scale = 1, 1, 1, 1
float2 Center = 0.5, 0.5
float Angle = 0
float Bend = 0

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

pixelshader BendLookup ps_2_0 {
    bind Scale c0
    bind Center c1
    bind Angle c2
    bind Bend c3
    bind BackgroundSampler s0
    bind MaskSampler s1
    def c4, 0.15915494, 0.5, 6.2831855, -3.1415927   // 1/(2 pi), 0.5, 2 pi, -pi
    def c5, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668
    def c6, -0.020833334, -0.125, 1, 0.5
    def c7, 0, 1, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1                    // m = r0.w
    add r1.xy, t0, -c1
    mul r1.xy, r1, c0                   // q
    dp2add r2.x, r1, r1, c7.x
    rsq r2.y, r2.x
    rcp r2.y, r2.y                      // r (rcp of the infinite rsq of 0 is 0)
    mad r2.x, r2.y, c3.x, c7.y
    mul r2.x, r2.x, c2.x
    mul r2.x, r2.x, r0.w                // g
    mad r2.x, r2.x, c4.x, c4.y
    frc r2.x, r2.x
    mad r2.x, r2.x, c4.z, c4.w
    sincos r3.xy, r2.x, c5, c6          // (cos g, sin g)
    mul r4.x, r1.x, r3.x
    mad r4.x, -r1.y, r3.y, r4.x
    mul r4.y, r1.x, r3.y
    mad r4.y, r1.y, r3.x, r4.y          // q'
    mad r4.x, r4.x, c0.z, c1.x
    mad r4.y, r4.y, c0.w, c1.y
    texld r4, r4, s0                    // c
    mov r4.w, r0.w
    mov oC0, r4
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = BendLookup
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = BendLookup
    }
}
