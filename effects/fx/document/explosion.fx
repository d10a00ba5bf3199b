// Explosion effect (no resource number; documents store it): a fireball on
// the sprite's quad, (u, v) from 0 to 1 across it, its centre at (0.5, 0.5).
//   d = distance from the centre, 1 at the middle of an edge
//   n = noise at (u, v) + noise_shift.xy and at (u, v) + noise_shift.zw,
//       blended from the first to the second by time.x (time.y = 1 - time.x),
//       so the fire changes smoothly from one pair of offsets to the next
//   s = d * noise_params.x + n * noise_params.y + phase_3rd.x
//       (the noise ruffles the rim; the burn-out pushes the gradient outward)
//   G = gradient at (s, 0.5): hot core at its left end, transparent at its
//       right end
//   colour = lerp(color2, color1, G.rgb) * (1 + phase_1st * noise_params.z)
//            * vertex colour (the flare brightens the start of the fade-in)
//   alpha  = G.a * vertex alpha * phase_3rd.y * saturate(4 (1 - d))
// Drawn with source alpha over the picture; outside the disc alpha is 0 and
// the picture stays as it was.

texture GradientTex
texture NoiseTex
float3 color1 = 1, 1, 1
float3 color2 = 0, 0, 0
float4 noise_shift = 0, 0, 0, 0
float3 noise_params = 0.79, 0.15, 0.42
float2 time = 0, 1
float2 phase_3rd = 0, 1
float phase_1st = 0

sampler2D GradientSampler {
    Texture = <GradientTex>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = NONE
    AddressU = CLAMP
    AddressV = CLAMP
}

sampler2D NoiseSampler {
    Texture = <NoiseTex>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = NONE
    AddressU = MIRROR
    AddressV = MIRROR
}

pixelshader Fire ps_2_0 {
    bind color1 c0
    bind color2 c1
    bind noise_shift c2
    bind noise_params c3
    bind time c4
    bind phase_3rd c5
    bind phase_1st c6
    bind GradientSampler s0
    bind NoiseSampler s1
    def c7, 0.5, 2, 1, 0.000001
    def c8, 4, 0, 0, 0
    dcl v0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    add r0.xy, t0, -c7.x
    mul r0.xy, r0, c7.y                 // (u, v) - centre, -1 to 1
    dp2add r1.x, r0, r0, c7.w           // d * d (never 0)
    rsq r1.y, r1.x
    rcp r1.y, r1.y                      // d
    add r2.x, t0.x, c2.x
    add r2.y, t0.y, c2.y
    add r3.x, t0.x, c2.z
    add r3.y, t0.y, c2.w
    texld r2, r2, s1                    // noise through the first offsets
    texld r3, r3, s1                    // and through the next
    mul r4.x, r2.x, c4.y
    mad r4.x, r3.x, c4.x, r4.x          // n
    mad r5.x, r1.y, c3.x, c5.x          // d * noise_params.x + phase_3rd.x
    mad r5.x, r4.x, c3.y, r5.x          // s
    mov r5.y, c7.x
    texld r6, r5, s0                    // G
    lrp r7.xyz, r6, c0, c1              // between the colours
    mad r8.x, c6.x, c3.z, c7.z          // flare
    mul r7.xyz, r7, r8.x
    mul r7.xyz, r7, v0
    add r9.x, c7.z, -r1.y
    mul_sat r9.x, r9.x, c8.x            // soft rim of the disc
    mul r7.w, r6.w, v0.w
    mul r7.w, r7.w, c5.y                // burning out
    mul r7.w, r7.w, r9.x
    mov oC0, r7
}

technique Main {
    pass P0 {
        CullMode = NONE
        ZEnable = FALSE
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Fire
    }
}
