// Fire brush effect (resource 92): flames rising inside the mask, drawn on
// the brush's grid (or, with "AsEffect", on any mesh).
// Vertex shader: the position through "WorldViewProj"; the pattern
// coordinates (u across, v from 0 at the tips to 1 at the base) pass
// through; the mask coordinates are the point's place on the target,
// through "ViewProj", times "bg_scale_factor".
// Pixel shader:
//   n = mean of Noise at (u, v) + c11, at 1.7 (u, v) + c12 and at
//       0.5 (u, v) + c13            three layers scrolling up at their rates
//   heat = Pattern alpha at (u, v) + 0.12 (n - 0.5)   the flame shape, shaken
//   f = saturate(saturate(heat (n + 0.5)) + Density)
//   colour = (ColorK1 + f ColorK2) (1 + Brightness), alpha
//            saturate(f (1 + Brightness)) x Mask alpha
// Density is -1 at fade 0, so nothing is drawn then. Both techniques blend
// with source alpha; "AsEffect" has no mask.

texture Noise
texture Pattern
texture Mask
texture Background
float4x4 WorldViewProj = 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1
float4x4 ViewProj = 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1
float2 c11 = 0, 0
float2 c12 = 0, 0
float2 c13 = 0, 0
float2 bg_scale_factor = 1, 1
float3 ColorK1 = 1, 0, 0
float3 ColorK2 = 0, 1, 0
float Brightness = 0.3
float Density = 0

sampler2D NoiseSampler {
    Texture = <Noise>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = WRAP
    AddressV = WRAP
}

// The pattern tiles across but not up and down: its base (v = 1) is full
// heat, which the shaken lookups just above the tips (v below 0) would
// otherwise wrap round to as a bright streak along the top edge.
sampler2D PatternSampler {
    Texture = <Pattern>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = WRAP
    AddressV = CLAMP
}

sampler2D MaskSampler {
    Texture = <Mask>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = CLAMP
    AddressV = CLAMP
}

vertexshader Place vs_2_0 {
    bind WorldViewProj c0 columns
    bind ViewProj c4 columns
    bind bg_scale_factor c8
    def c9, 0.5, -0.5, 0.5, 1
    dcl_position v0
    dcl_texcoord0 v1
    m4x4 oPos, v0, c0
    mov oT0.xy, v1
    m4x4 r0, v0, c4
    mad r1.xy, r0, c9, c9.z             // clip space to target coordinates
    mul oT1.xy, r1, c8
}

pixelshader Flames ps_2_0 {
    bind c11 c0
    bind c12 c1
    bind c13 c2
    bind ColorK1 c3
    bind ColorK2 c4
    bind Brightness c5
    bind Density c6
    bind NoiseSampler s0
    bind PatternSampler s1
    bind MaskSampler s2
    def c7, 0.5, 1.7, 0.33333334, 0.12
    def c8, 1, 0, 0, 0
    dcl t0.xy
    dcl t1.xy
    dcl_2d s0
    dcl_2d s1
    dcl_2d s2
    add r0.xy, t0, c0
    mul r1.xy, t0, c7.y
    add r1.xy, r1, c1
    mul r2.xy, t0, c7.x
    add r2.xy, r2, c2
    texld r0, r0, s0
    texld r1, r1, s0
    texld r2, r2, s0
    add r3.x, r0.x, r1.x
    add r3.x, r3.x, r2.x
    mul r3.x, r3.x, c7.z                // n
    sub r3.y, r3.x, c7.x
    mad r4.xy, r3.y, c7.w, t0
    texld r4, r4, s1                    // heat = r4.w
    texld r5, t1, s2                    // mask alpha r5.w
    add r3.z, r3.x, c7.x
    mul_sat r6.x, r4.w, r3.z
    add_sat r6.x, r6.x, c6.x            // f
    add r6.y, c8.x, c5.x                // 1 + Brightness
    mul_sat r6.z, r6.x, r6.y
    mad_sat r7.xyz, c4, r6.x, c3
    mul r7.xyz, r7, r6.y
    mul r7.w, r6.z, r5.w
    mov oC0, r7
}

pixelshader FreeFlames ps_2_0 {
    bind c11 c0
    bind c12 c1
    bind c13 c2
    bind ColorK1 c3
    bind ColorK2 c4
    bind Brightness c5
    bind Density c6
    bind NoiseSampler s0
    bind PatternSampler s1
    def c7, 0.5, 1.7, 0.33333334, 0.12
    def c8, 1, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    add r0.xy, t0, c0
    mul r1.xy, t0, c7.y
    add r1.xy, r1, c1
    mul r2.xy, t0, c7.x
    add r2.xy, r2, c2
    texld r0, r0, s0
    texld r1, r1, s0
    texld r2, r2, s0
    add r3.x, r0.x, r1.x
    add r3.x, r3.x, r2.x
    mul r3.x, r3.x, c7.z
    sub r3.y, r3.x, c7.x
    mad r4.xy, r3.y, c7.w, t0
    texld r4, r4, s1
    add r3.z, r3.x, c7.x
    mul_sat r6.x, r4.w, r3.z
    add_sat r6.x, r6.x, c6.x
    add r6.y, c8.x, c5.x
    mul_sat r6.z, r6.x, r6.y
    mad_sat r7.xyz, c4, r6.x, c3
    mul r7.xyz, r7, r6.y
    mov r7.w, r6.z
    mov oC0, r7
}

technique Main {
    pass P0 {
        CullMode = NONE
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        VertexShader = Place
        PixelShader = Flames
    }
}

technique AsEffect {
    pass P0 {
        CullMode = NONE
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        VertexShader = Place
        PixelShader = FreeFlames
    }
}
