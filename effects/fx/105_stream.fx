// Stream brush effect (resource 105, stored in documents): water flowing
// along a direction, drawn as a noise pass and colour-wave layers.
// Noise:
//   p1 = (u, v) * bump_scale + noise_shift; p2 = p1 + noise_shift
//   k1 = NoiseMap(p1), k2 = NoiseMap(p2)
//   d = noise_amplitude * ((k1.r + k2.g, k1.g + k2.r) - 1)
//   m = Mask alpha at (u, v); output = Background at (u, v) + m d, alpha m
// ColorWaves:
//   p = (u, v) + shift; c = Background(p); e = |base_color - c|^2 over r, g, b
//   alpha = ((1 - e / 3) - treshold) / (1 - treshold) * Mask(u, v).a * Mask(p).a
//           * transluency, kept within 0 to 1; output = c with that alpha
//   (1 - treshold is kept at 1e-6 or more: treshold is 1 for a threshold
//   value of 0, and the alpha is then 0 instead of a division by zero)
// "NoiseFX" and "ColorWavesFX" are the same without blending;
// "DrawBackground" draws without blending and without a pixel shader.

texture Background
texture Mask
texture NoiseMap
float2 shift = 0, 0
float transluency = 0
float treshold = 0.8
float3 base_color = 1, 1, 1
float2 noise_shift = 0, 0
float noise_amplitude = 0.005
float2 bump_scale = 1, 1

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

sampler2D NoiseMapSampler {
    Texture = <NoiseMap>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = WRAP
    AddressV = WRAP
}

pixelshader Noise ps_2_0 {
    bind bump_scale c0
    bind noise_shift c1
    bind noise_amplitude c2
    bind BackgroundSampler s0
    bind MaskSampler s1
    bind NoiseMapSampler s2
    def c3, 1, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    dcl_2d s2
    mad r0.xy, t0, c0, c1               // p1
    add r1.xy, r0, c1                   // p2
    texld r0, r0, s2                    // k1
    texld r1, r1, s2                    // k2
    add r2.x, r0.x, r1.y
    add r2.y, r0.y, r1.x
    add r2.xy, r2, -c3.x
    mul r2.xy, r2, c2.x                 // d
    texld r3, t0, s1                    // m = r3.w
    mad r4.xy, r3.w, r2, t0
    texld r4, r4, s0
    mov r4.w, r3.w
    mov oC0, r4
}

pixelshader ColorWaves ps_2_0 {
    bind shift c0
    bind transluency c1
    bind treshold c2
    bind base_color c3
    bind BackgroundSampler s0
    bind MaskSampler s1
    def c4, -0.33333334, 1, 0.000001, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    add r0.xy, t0, c0                   // p
    texld r1, r0, s0                    // c
    texld r2, t0, s1
    texld r3, r0, s1
    add r4.xyz, c3, -r1
    dp3 r4.x, r4, r4                    // e
    mad r4.x, r4.x, c4.x, c4.y          // 1 - e / 3
    add r4.x, r4.x, -c2.x
    add r5.x, c4.y, -c2.x
    max r5.x, r5.x, c4.z                // a threshold of 1 gives alpha 0, not 0 / 0
    rcp r5.x, r5.x
    mul r4.x, r4.x, r5.x
    mul r4.x, r4.x, r2.w
    mul r4.x, r4.x, r3.w
    mul_sat r1.w, r4.x, c1.x
    mov oC0, r1
}

technique Noise {
    pass P0 {
        CullMode = NONE
        AlphaBlendEnable = TRUE
        PixelShader = Noise
    }
}

technique ColorWaves {
    pass P0 {
        CullMode = NONE
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = ColorWaves
    }
}

technique NoiseFX {
    pass P0 {
        CullMode = NONE
        AlphaBlendEnable = FALSE
        PixelShader = Noise
    }
}

technique ColorWavesFX {
    pass P0 {
        CullMode = NONE
        AlphaBlendEnable = FALSE
        PixelShader = ColorWaves
    }
}

technique DrawBackground {
    pass P0 {
        CullMode = NONE
        AlphaBlendEnable = FALSE
        PixelShader = NULL
    }
}
