// Test effect for vertex shaders: the quad's positions go through the
// matrix parameter "Transform" (row vectors times the matrix, as the
// program's transforms are written), its texture coordinates pass through and
// "Tint" colours it. The pixel shader shows the interpolated coordinates:
//   output = (u, v, 0, 1) * Tint
// "Model2" uses the 2.0 shader models, "Model3" the 3.0 ones.

float4x4 Transform = 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1
float4 Tint = 1, 1, 1, 1

vertexshader Place2 vs_2_0 {
    bind Transform c0 columns
    bind Tint c4
    dcl_position v0
    dcl_texcoord0 v1
    m4x4 oPos, v0, c0
    mov oT0.xy, v1
    mov oD0, c4
}

pixelshader Shade2 ps_2_0 {
    def c0, 0, 0, 0, 1
    dcl t0.xy
    dcl v0
    mov r0, c0
    mov r0.xy, t0
    mul r0, r0, v0
    mov oC0, r0
}

vertexshader Place3 vs_3_0 {
    bind Transform c0 columns
    bind Tint c4
    dcl_position v0
    dcl_texcoord0 v1
    dcl_position o0
    dcl_texcoord0 o1.xy
    dcl_color o2
    m4x4 o0, v0, c0
    mov o1.xy, v1
    mov o2, c4
}

pixelshader Shade3 ps_3_0 {
    def c0, 0, 0, 0, 1
    dcl_texcoord0 v0.xy
    dcl_color v1
    mov r0, c0
    mov r0.xy, v0
    mul oC0, r0, v1
}

technique Model2 {
    pass P0 {
        CullMode = NONE
        AlphaBlendEnable = FALSE
        VertexShader = Place2
        PixelShader = Shade2
    }
}

technique Model3 {
    pass P0 {
        CullMode = NONE
        AlphaBlendEnable = FALSE
        VertexShader = Place3
        PixelShader = Shade3
    }
}
