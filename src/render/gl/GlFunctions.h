#pragma once

#include <GL/glcorearb.h>

// The OpenGL 3.3 core entry points the device uses, resolved through the
// context's own lookup (EGL or Qt), so no GL library is linked and every
// context type works the same way.
#define TAVREL_GL_FUNCTIONS(X)                                                              \
    X(PFNGLGETSTRINGPROC, GetString)                                                        \
    X(PFNGLGETINTEGERVPROC, GetIntegerv)                                                    \
    X(PFNGLGETERRORPROC, GetError)                                                          \
    X(PFNGLGENTEXTURESPROC, GenTextures)                                                    \
    X(PFNGLDELETETEXTURESPROC, DeleteTextures)                                              \
    X(PFNGLBINDTEXTUREPROC, BindTexture)                                                    \
    X(PFNGLTEXIMAGE2DPROC, TexImage2D)                                                      \
    X(PFNGLTEXSUBIMAGE2DPROC, TexSubImage2D)                                                \
    X(PFNGLTEXPARAMETERIPROC, TexParameteri)                                                \
    X(PFNGLPIXELSTOREIPROC, PixelStorei)                                                    \
    X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                                                \
    X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers)                                            \
    X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers)                                      \
    X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer)                                            \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, FramebufferTexture2D)                                  \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus)                              \
    X(PFNGLVIEWPORTPROC, Viewport)                                                          \
    X(PFNGLCLEARCOLORPROC, ClearColor)                                                      \
    X(PFNGLCLEARPROC, Clear)                                                                \
    X(PFNGLENABLEPROC, Enable)                                                              \
    X(PFNGLDISABLEPROC, Disable)                                                            \
    X(PFNGLBLENDFUNCPROC, BlendFunc)                                                        \
    X(PFNGLGENBUFFERSPROC, GenBuffers)                                                      \
    X(PFNGLDELETEBUFFERSPROC, DeleteBuffers)                                                \
    X(PFNGLBINDBUFFERPROC, BindBuffer)                                                      \
    X(PFNGLBUFFERDATAPROC, BufferData)                                                      \
    X(PFNGLBUFFERSUBDATAPROC, BufferSubData)                                                \
    X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)                                            \
    X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays)                                      \
    X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)                                            \
    X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)                                    \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray)                            \
    X(PFNGLCREATESHADERPROC, CreateShader)                                                  \
    X(PFNGLSHADERSOURCEPROC, ShaderSource)                                                  \
    X(PFNGLCOMPILESHADERPROC, CompileShader)                                                \
    X(PFNGLGETSHADERIVPROC, GetShaderiv)                                                    \
    X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)                                          \
    X(PFNGLDELETESHADERPROC, DeleteShader)                                                  \
    X(PFNGLCREATEPROGRAMPROC, CreateProgram)                                                \
    X(PFNGLATTACHSHADERPROC, AttachShader)                                                  \
    X(PFNGLBINDATTRIBLOCATIONPROC, BindAttribLocation)                                      \
    X(PFNGLLINKPROGRAMPROC, LinkProgram)                                                    \
    X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                                                  \
    X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)                                        \
    X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                                                \
    X(PFNGLUSEPROGRAMPROC, UseProgram)                                                      \
    X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)                                      \
    X(PFNGLUNIFORM1FPROC, Uniform1f)                                                        \
    X(PFNGLUNIFORM1IPROC, Uniform1i)                                                        \
    X(PFNGLUNIFORM2FPROC, Uniform2f)                                                        \
    X(PFNGLGENSAMPLERSPROC, GenSamplers)                                                    \
    X(PFNGLDELETESAMPLERSPROC, DeleteSamplers)                                              \
    X(PFNGLBINDSAMPLERPROC, BindSampler)                                                    \
    X(PFNGLSAMPLERPARAMETERIPROC, SamplerParameteri)                                        \
    X(PFNGLDRAWARRAYSPROC, DrawArrays)                                                      \
    X(PFNGLREADPIXELSPROC, ReadPixels)                                                      \
    X(PFNGLBLITFRAMEBUFFERPROC, BlitFramebuffer)                                            \
    X(PFNGLFINISHPROC, Finish)

struct GlFunctions
{
#define TAVREL_GL_DECLARE(type, name) type name = nullptr;
    TAVREL_GL_FUNCTIONS(TAVREL_GL_DECLARE)
#undef TAVREL_GL_DECLARE
    // GL 4.5 or KHR_robustness; null when the driver has neither.
    PFNGLGETGRAPHICSRESETSTATUSPROC GetGraphicsResetStatus = nullptr;

    // Resolves every entry point; false names the first one missing.
    template <typename Lookup>
    bool Load(Lookup lookup, const char** missing)
    {
#define TAVREL_GL_LOAD(type, name)                                     \
    name = reinterpret_cast<type>(lookup("gl" #name));                 \
    if (!name) {                                                       \
        *missing = "gl" #name;                                         \
        return false;                                                  \
    }
        TAVREL_GL_FUNCTIONS(TAVREL_GL_LOAD)
#undef TAVREL_GL_LOAD
        GetGraphicsResetStatus = reinterpret_cast<PFNGLGETGRAPHICSRESETSTATUSPROC>(lookup("glGetGraphicsResetStatus"));
        if (!GetGraphicsResetStatus)
            GetGraphicsResetStatus =
                reinterpret_cast<PFNGLGETGRAPHICSRESETSTATUSPROC>(lookup("glGetGraphicsResetStatusKHR"));
        return true;
    }
};
