// Heat-haze distortion (resource 63): the finished scene drawn once more,
// each point shifted by the distortion map about its mid-grey.
//   m = Bumpmap at (u, v) x bump_scale + Offset   the map scrolls with Offset
//   output = SceneTex at (u, v) + (m.rg - 0.5) x stenght, opaque
// "stenght" is a share of the picture, so the shift is a faint shimmer of
// a pixel or two. No vertex shader: the quad's coordinates pass through
// the fixed-function pipeline.

texture SceneTex
texture Bumpmap
float stenght = 0.0025
float2 Offset = 0, 0
float2 bump_scale = 1, 1

sampler2D SceneSampler {
    Texture = <SceneTex>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = NONE
    AddressU = CLAMP
    AddressV = CLAMP
}

sampler2D BumpSampler {
    Texture = <Bumpmap>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = WRAP
    AddressV = WRAP
}

pixelshader Distort ps_2_0 {
    bind stenght c0
    bind Offset c1
    bind bump_scale c2
    bind SceneSampler s0
    bind BumpSampler s1
    def c3, 0.5, 1, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    mad r0.xy, t0, c2, c1               // map coordinates
    texld r1, r0, s1
    sub r1.xy, r1, c3.x                 // about mid-grey
    mad r2.xy, r1, c0.x, t0
    texld r3, r2, s0
    mov r3.w, c3.y
    mov oC0, r3
}

technique BumpmapDistortLow2 {
    pass P0 {
        AlphaBlendEnable = FALSE
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = Distort
    }
}
