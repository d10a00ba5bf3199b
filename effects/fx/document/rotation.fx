// Rotation brush effect (no resource number; documents store it): the
// picture lookup turned about the brush's centre inside the mask.
//   m = Mask alpha at (u, v)
//   q = ((u, v) + offset) * Scale                 zoomed, centred coordinates
//   q' = (q.x T11 + q.y T21, q.x T12 + q.y T22)   row vector times coord_transf
//   p = q' / Scale - offset; c = Background at lerp((u, v), p, m)
//   output = c * mix_color.rgb, alpha m * mix_color.a
// "offset" is minus the centre in texture units. Turning in zoomed
// coordinates (one unit is the picture height times the zoom) keeps a circle
// round whatever the picture's aspect. The mask fades the lookup from the
// picture's own place to the turned one, so a soft mask edge stays smooth.
// "Main" blends with source alpha, "MainFX" writes without blending.

texture Background
texture Mask
float2 Scale = 1, 1
float4 coord_transf = 1, 0, 0, 1
float2 offset = -0.5, -0.5
float4 mix_color = 1, 1, 1, 1

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

pixelshader Rotation ps_2_0 {
    bind Scale c0
    bind coord_transf c1
    bind offset c2
    bind mix_color c3
    bind BackgroundSampler s0
    bind MaskSampler s1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1                    // m = r0.w
    add r1.xy, t0, c2
    mul r1.xy, r1, c0                   // q
    mul r2.x, r1.x, c1.x
    mad r2.x, r1.y, c1.z, r2.x
    mul r2.y, r1.x, c1.y
    mad r2.y, r1.y, c1.w, r2.y          // q'
    rcp r3.x, c0.x
    rcp r3.y, c0.y
    mul r2.xy, r2, r3
    add r2.xy, r2, -c2                  // p
    lrp r3.xy, r0.w, r2, t0
    texld r3, r3, s0                    // c
    mul r3.xyz, r3, c3
    mul r3.w, r0.w, c3.w
    mov oC0, r3
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Rotation
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = Rotation
    }
}
